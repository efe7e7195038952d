#include "settings/ConnectLogPage.h"

#include "app/widgets/AccessibleName.h"
#include "app/widgets/QtText.h"
#include "platform/Options.h"
#include "settings/OptionControls.h"
#include "settings/PathChoosers.h"
#include "settings/SettingWrite.h"
#include "settings/SettingsTexts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tolvane {

namespace {

// Wide enough for a usual path under the home folder.
constexpr int kPathWidth = 280;

} // namespace

CConnectLogPage::CConnectLogPage(QWidget* parent) : COptionPage(parent) {
    setObjectName(QStringLiteral("connectLogPage"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildSaveGroup());
    layout->addWidget(BuildNextStartGroup());
    layout->addStretch(1);
    Fill();
    auto modified = [this] { SetModified(true); };
    connect(m_pSaveLog, &QCheckBox::clicked, this, [this, modified] {
        ApplySaveRule();
        modified();
    });
    connect(m_pOverwrite, &QRadioButton::clicked, this, modified);
    connect(m_pAppend, &QRadioButton::clicked, this, modified);
    connect(m_pLogFile, &QLineEdit::textChanged, this, modified);
    connect(m_pBrowse, &QPushButton::clicked, this, &CConnectLogPage::OnBrowse);
}

QGroupBox* CConnectLogPage::BuildSaveGroup() {
    auto* group = new QGroupBox(Tr(gui::txt::kSaveGroup), this);
    m_pSaveLog = MakeCheckBox(group, gui::txt::kSaveLogBox, "saveLogBox");
    m_pFileLabel = new QLabel(Tr(gui::txt::kLogFileLabel), group);
    m_pLogFile = new QLineEdit(group);
    m_pLogFile->setObjectName(QStringLiteral("logFileEdit"));
    m_pLogFile->setAccessibleName(AccessibleName(gui::txt::kLogFileLabel));
    m_pLogFile->setMaxLength(kPathMaxLength);
    m_pLogFile->setMinimumWidth(kPathWidth);
    m_pFileLabel->setBuddy(m_pLogFile);
    m_pBrowse =
        MakePushButton(group, gui::txt::kBrowseButton, "logBrowseButton", gui::txt::kLogBrowseName);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_pFileLabel);
    fileRow->addWidget(m_pLogFile, 1);
    fileRow->addWidget(m_pBrowse);

    auto* layout = new QVBoxLayout(group);
    layout->addWidget(m_pSaveLog);
    layout->addLayout(fileRow);
    return group;
}

QGroupBox* CConnectLogPage::BuildNextStartGroup() {
    m_pNextStart = new QGroupBox(Tr(gui::txt::kNextStartGroup), this);
    m_pNextStart->setObjectName(QStringLiteral("nextStartGroup"));
    m_pOverwrite = MakeRadio(m_pNextStart, gui::txt::kOverwriteRadio, "overwriteRadio");
    m_pAppend = MakeRadio(m_pNextStart, gui::txt::kAppendRadio, "appendRadio");
    auto* layout = new QVBoxLayout(m_pNextStart);
    layout->addWidget(m_pOverwrite);
    layout->addWidget(m_pAppend);
    return m_pNextStart;
}

void CConnectLogPage::Fill() {
    m_pLogFile->setText(FromUtf8Bytes(options::GetLogFilePath()));
    m_pLogFile->setCursorPosition(0); // the start of a long path shows
    m_pSaveLog->setChecked(options::GetSaveLog() != 0);
    (options::GetNewSave() != 0 ? m_pOverwrite : m_pAppend)->setChecked(true);
    ApplySaveRule();
}

void CConnectLogPage::ApplySaveRule() {
    const bool bOn = m_pSaveLog->isChecked();
    m_pFileLabel->setEnabled(bOn);
    m_pLogFile->setEnabled(bOn);
    m_pBrowse->setEnabled(bOn);
    m_pNextStart->setEnabled(bOn); // and the radio buttons in it
}

bool CConnectLogPage::OnApply() {
    CheckWrite(options::SetSaveLog(m_pSaveLog->isChecked() ? 1 : 0));
    CheckWrite(options::SetNewSave(m_pOverwrite->isChecked() ? 1 : 0));
    const QString file = m_pLogFile->text();
    CheckWrite(options::SetLogFilePath(file.isEmpty() ? options::DefaultLogFilePath()
                                                      : ToUtf8Bytes(file)));
    return true;
}

void CConnectLogPage::OnBrowse() {
    PathChoice choice;
    choice.kind = PathChooserKind::Save;
    choice.caption = Tr(gui::txt::kLogChooserTitle);
    choice.filter = Tr(gui::txt::kLogFilter);
    choice.preset = m_pLogFile->text().isEmpty() ? FromUtf8Bytes(options::DefaultLogFilePath())
                                                 : m_pLogFile->text();
    const QString path = ChoosePath(this, choice);
    if (!path.isEmpty()) {
        m_pLogFile->setText(path);
        SetModified(true);
    }
}

} // namespace tolvane
