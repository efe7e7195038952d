#include "settings/ReloadLinesDialog.h"

#include "app/widgets/AccessibleName.h"
#include "app/widgets/DecimalRule.h"
#include "app/widgets/NumberEdit.h"
#include "app/widgets/QtText.h"
#include "app/widgets/UpDown.h"
#include "settings/SettingsTexts.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvane {

namespace {

constexpr int kLinesLimit = 9;
constexpr int32_t kLinesUpper = 999999999;
constexpr int32_t kStartLines = 30;
// Room for a window manager's title-bar buttons, in pixels.
constexpr int kTitleBarButtons = 120;

QPushButton* MakeButton(QWidget* parent, const char* textUtf8, const char* objectName) {
    auto* button = new QPushButton(Tr(textUtf8), parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAccessibleName(AccessibleName(textUtf8));
    return button;
}

} // namespace

CReloadLinesDialog::CReloadLinesDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("reloadLinesDialog"));
    setWindowTitle(Tr(gui::txt::kReloadLinesTitle));

    m_pEdit = new CNumberEdit(this);
    m_pEdit->setObjectName(QStringLiteral("linesEdit"));
    m_pEdit->setAccessibleName(Tr(gui::txt::kReloadLinesName));
    m_pEdit->setMaxLength(kLinesLimit);
    // Wide enough that the small window's title bar shows the whole title beside its
    // buttons.
    m_pEdit->setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) + kTitleBarButtons);
    auto* spin = new CUpDown(m_pEdit, this);
    spin->setObjectName(QStringLiteral("linesSpin"));
    spin->setAccessibleName(Tr(gui::txt::kReloadLinesName));
    spin->SetRange(0, kLinesUpper);
    spin->SetPos(kStartLines);

    QPushButton* reload = MakeButton(this, gui::txt::kReloadButton, "reloadButton");
    QPushButton* cancel = MakeButton(this, gui::txt::kCancelButton, "cancelButton");
    cancel->setDefault(true);
    connect(reload, &QPushButton::clicked, this, &CReloadLinesDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &CReloadLinesDialog::reject);

    auto* field = new QHBoxLayout;
    field->setSpacing(0);
    field->addWidget(m_pEdit, 1);
    field->addWidget(spin);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(reload);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(field);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_pEdit->selectAll();
    m_pEdit->setFocus();
}

void CReloadLinesDialog::accept() {
    m_nLines = DecimalValue(m_pEdit->text());
    QDialog::accept();
}

} // namespace tolvane
