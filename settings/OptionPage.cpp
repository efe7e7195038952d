#include "settings/OptionPage.h"

#include "platform/MessageHost.h"

#include <QLineEdit>

namespace tolvane {

COptionPage::COptionPage(QWidget* parent) : QWidget(parent) {}

void COptionPage::SetModified(bool bModified) {
    if (m_bModified != bModified) {
        m_bModified = bModified;
        Q_EMIT modifiedChanged();
    }
}

void COptionPage::showEvent(QShowEvent* event) {
    m_bShown = true;
    QWidget::showEvent(event);
}

bool COptionPage::RefuseNumber(const char* messageUtf8, QLineEdit* field) {
    Q_EMIT activateRequested(this);
    ShowMessageUtf8(messageUtf8, MsgButtons::Ok, MsgIcon::Exclamation);
    field->selectAll();
    field->setFocus(Qt::OtherFocusReason);
    return false;
}

} // namespace tolvane
