#include "settings/OptionSheet.h"

#include "app/widgets/AccessibleName.h"
#include "app/widgets/QtText.h"
#include "settings/ConnectLogPage.h"
#include "settings/EnvironmentPage.h"
#include "settings/SettingsTexts.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tolvane {

namespace {

void SetButton(QPushButton* button, const char* textUtf8, const char* objectName) {
    button->setText(Tr(textUtf8));
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAccessibleName(AccessibleName(textUtf8));
}

} // namespace

COptionSheet::COptionSheet(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("optionSheet"));
    setWindowTitle(Tr(gui::txt::kOptionSheetTitle));
    m_pTabs = new QTabWidget(this);
    m_pTabs->setObjectName(QStringLiteral("optionTabs"));
    AddPage(new CEnvironmentPage(m_pTabs), gui::txt::kEnvironmentTab);
    AddPage(new CConnectLogPage(m_pTabs), gui::txt::kConnectLogTab);
    m_pTabs->setCurrentIndex(0);

    m_pButtons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    SetButton(m_pButtons->button(QDialogButtonBox::Ok), gui::txt::kOkButton, "okButton");
    SetButton(m_pButtons->button(QDialogButtonBox::Cancel), gui::txt::kSheetCancelButton,
              "cancelButton");
    m_pApply = m_pButtons->button(QDialogButtonBox::Apply);
    SetButton(m_pApply, gui::txt::kApplyButton, "applyButton");
    m_pButtons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(m_pButtons, &QDialogButtonBox::accepted, this, &COptionSheet::accept);
    connect(m_pButtons, &QDialogButtonBox::rejected, this, &COptionSheet::reject);
    connect(m_pApply, &QPushButton::clicked, this, &COptionSheet::OnApply);
    UpdateApplyButton();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pTabs);
    layout->addWidget(m_pButtons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void COptionSheet::AddPage(COptionPage* page, const char* titleUtf8) {
    m_pages.push_back(page);
    m_pTabs->addTab(page, Tr(titleUtf8));
    connect(page, &COptionPage::modifiedChanged, this, &COptionSheet::UpdateApplyButton);
    connect(page, &COptionPage::activateRequested, m_pTabs,
            [this](COptionPage* shown) { m_pTabs->setCurrentWidget(shown); });
}

bool COptionSheet::ApplyPages() {
    for (COptionPage* page : m_pages) {
        if (page->WasShown() && !page->OnApply()) {
            m_pTabs->setCurrentWidget(page);
            return false;
        }
    }
    for (COptionPage* page : m_pages) {
        page->SetModified(false);
    }
    Q_EMIT applied();
    return true;
}

void COptionSheet::OnApply() {
    ApplyPages();
}

void COptionSheet::accept() {
    if (ApplyPages()) {
        QDialog::accept();
    }
}

void COptionSheet::UpdateApplyButton() {
    bool bModified = false;
    for (const COptionPage* page : m_pages) {
        bModified = bModified || page->IsModified();
    }
    m_pApply->setEnabled(bModified);
}

} // namespace tolvane
