// The name a screen reader says for a control whose label comes from the string table:
// the label without its mnemonic ("(&A)" or a lone "&") and without a closing colon
// ("アカウント名(&A)：" -> "アカウント名").
#pragma once

#include "app/widgets/QtText.h"

#include <QRegularExpression>
#include <QString>

namespace tolvane {

inline QString AccessibleName(const char* labelUtf8) {
    static const QRegularExpression kDecoration(QStringLiteral("\\(&.\\)|&(?=.)|：$"));
    return Tr(labelUtf8).remove(kDecoration);
}

} // namespace tolvane
