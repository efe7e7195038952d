#include "settings/EnvironmentPage.h"

#include "app/widgets/AccessibleName.h"
#include "app/widgets/DecimalRule.h"
#include "app/widgets/NumberEdit.h"
#include "app/widgets/QtText.h"
#include "app/widgets/SoundPlayer.h"
#include "app/widgets/UpDown.h"
#include "platform/Autostart.h"
#include "platform/Options.h"
#include "platform/Paths.h"
#include "settings/OptionControls.h"
#include "settings/PathChoosers.h"
#include "settings/SettingWrite.h"
#include "settings/SettingsTexts.h"

#include <QButtonGroup>
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

constexpr int kIntervalLimit = 2;
constexpr int32_t kIntervalLowest = 1;
constexpr int32_t kIntervalHighest = 60;
constexpr int kSecondsLimit = 3;
constexpr int32_t kSecondsLowest = 1;
constexpr int32_t kSecondsHighest = 999;
// Stored when the feature is off, whatever its field shows.
constexpr int32_t kIntervalWhenOff = 30;
// Wide enough for a usual path under the home folder.
constexpr int kPathWidth = 280;
// Controls that depend on the one above them are indented by this much.
constexpr int kIndent = 20;

int32_t Flag(const QAbstractButton* button) {
    return button->isChecked() ? 1 : 0;
}

} // namespace

CEnvironmentPage::CEnvironmentPage(QWidget* parent) : COptionPage(parent) {
    setObjectName(QStringLiteral("environmentPage"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildStartExitGroup());
    layout->addWidget(BuildCheckGroup());
    layout->addWidget(BuildReportGroup());
    layout->addStretch(1);
    Fill();
    ConnectRules();
}

QGroupBox* CEnvironmentPage::BuildStartExitGroup() {
    auto* group = new QGroupBox(Tr(gui::txt::kStartExitGroup), this);
    m_pAutostart = MakeCheckBox(group, gui::txt::kAutostartBox, "autostartBox");
    m_pFirstCheck = MakeCheckBox(group, gui::txt::kFirstCheckBox, "firstCheckBox");
    m_pQuitConfirm = MakeCheckBox(group, gui::txt::kQuitConfirmBox, "quitConfirmBox");
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(m_pAutostart);
    layout->addWidget(m_pFirstCheck);
    layout->addWidget(m_pQuitConfirm);
    return group;
}

QGroupBox* CEnvironmentPage::BuildCheckGroup() {
    auto* group = new QGroupBox(Tr(gui::txt::kCheckGroup), this);
    m_pAutoCheck = MakeCheckBox(group, gui::txt::kAutoCheckBox, "autoCheckBox");
    const NumberField interval = MakeNumberField(group, "intervalEdit", gui::txt::kIntervalName,
                                                 kIntervalLimit, kIntervalLowest, kIntervalHighest);
    m_pInterval = interval.pEdit;
    m_pIntervalSpin = interval.pSpin;
    m_pMinutes = new QLabel(Tr(gui::txt::kMinutesSuffix), group);
    interval.pRow->addSpacing(4);
    interval.pRow->addWidget(m_pMinutes);
    interval.pRow->addStretch(1);
    auto* checkRow = new QHBoxLayout;
    checkRow->addWidget(m_pAutoCheck);
    checkRow->addLayout(interval.pRow, 1);

    auto* soundLabel = new QLabel(Tr(gui::txt::kSoundLabel), group);
    auto* fileLabel = new QLabel(Tr(gui::txt::kSoundFileLabel), group);
    m_pSoundFile = new QLineEdit(group);
    m_pSoundFile->setObjectName(QStringLiteral("soundFileEdit"));
    m_pSoundFile->setAccessibleName(AccessibleName(gui::txt::kSoundFileLabel));
    m_pSoundFile->setMaxLength(kPathMaxLength);
    m_pSoundFile->setMinimumWidth(kPathWidth);
    fileLabel->setBuddy(m_pSoundFile);
    m_pSoundBrowse = MakePushButton(group, gui::txt::kBrowseButton, "soundBrowseButton",
                                    gui::txt::kSoundBrowseName);
    m_pSoundTest = MakePushButton(group, gui::txt::kSoundTestButton, "soundTestButton",
                                  gui::txt::kSoundTestName);
    auto* fileRow = new QHBoxLayout;
    fileRow->addSpacing(kIndent);
    fileRow->addWidget(fileLabel);
    fileRow->addWidget(m_pSoundFile, 1);
    fileRow->addWidget(m_pSoundBrowse);
    fileRow->addWidget(m_pSoundTest);
    m_pNotify = MakeCheckBox(group, gui::txt::kNotifyBox, "notifyBox");

    auto* layout = new QVBoxLayout(group);
    layout->addLayout(checkRow);
    layout->addWidget(soundLabel);
    layout->addLayout(fileRow);
    layout->addWidget(m_pNotify);
    return group;
}

QGroupBox* CEnvironmentPage::BuildReportGroup() {
    auto* group = new QGroupBox(Tr(gui::txt::kReportGroup), this);
    m_pAutoReport = MakeCheckBox(group, gui::txt::kAutoReportBox, "autoReportBox");
    m_pReportAlways = MakeRadio(group, gui::txt::kReportAlwaysRadio, "reportAlwaysRadio");
    m_pReportHeld = MakeRadio(group, gui::txt::kReportHeldRadio, "reportHeldRadio");
    auto* radios = new QButtonGroup(group);
    radios->addButton(m_pReportAlways);
    radios->addButton(m_pReportHeld);
    m_pAutoHide = MakeCheckBox(group, gui::txt::kAutoHideBox, "autoHideBox");
    const NumberField seconds =
        MakeNumberField(group, "hideSecondsEdit", gui::txt::kHideSecondsName, kSecondsLimit,
                        kSecondsLowest, kSecondsHighest);
    m_pHideSeconds = seconds.pEdit;
    m_pHideSpin = seconds.pSpin;
    m_pSeconds = new QLabel(Tr(gui::txt::kSecondsSuffix), group);
    seconds.pRow->insertSpacing(0, 2 * kIndent);
    seconds.pRow->addSpacing(4);
    seconds.pRow->addWidget(m_pSeconds);
    seconds.pRow->addStretch(1);

    auto* layout = new QVBoxLayout(group);
    layout->addWidget(m_pAutoReport);
    for (QWidget* indented :
         {static_cast<QWidget*>(m_pReportAlways), static_cast<QWidget*>(m_pReportHeld),
          static_cast<QWidget*>(m_pAutoHide)}) {
        auto* row = new QHBoxLayout;
        row->addSpacing(kIndent);
        row->addWidget(indented, 1);
        layout->addLayout(row);
    }
    layout->addLayout(seconds.pRow);
    return group;
}

void CEnvironmentPage::Fill() {
    m_pAutoCheck->setChecked(options::GetAutoCheck() != 0);
    m_pInterval->setText(QString::number(options::GetAutoCheckInterval()));
    m_pAutoReport->setChecked(options::GetAutoReport() != 0);
    (options::GetReportDisplayMode() != 0 ? m_pReportAlways : m_pReportHeld)->setChecked(true);
    m_pAutoHide->setChecked(options::GetAutoHide() != 0);
    m_pHideSeconds->setText(QString::number(options::GetAutoHideInterval()));
    m_pAutostart->setChecked(options::GetAutostart() != 0);
    m_pFirstCheck->setChecked(options::GetFirstCheck() != 0);
    m_pQuitConfirm->setChecked(options::GetQuitConfirm() != 0);
    m_pSoundFile->setText(FromUtf8Bytes(options::GetSoundFilePath()));
    m_pSoundFile->setCursorPosition(0);
    m_pNotify->setChecked(options::GetNotify() != 0);
    ApplyCheckRule();
    ApplyReportRule();
    m_pSoundTest->setEnabled(!m_pSoundFile->text().isEmpty());
}

void CEnvironmentPage::ConnectRules() {
    auto modified = [this] { SetModified(true); };
    connect(m_pAutoCheck, &QCheckBox::clicked, this, [this, modified] {
        ApplyCheckRule();
        modified();
    });
    for (QCheckBox* box : {m_pAutoReport, m_pAutoHide}) {
        connect(box, &QCheckBox::clicked, this, [this, modified] {
            ApplyReportRule();
            modified();
        });
    }
    for (QAbstractButton* button :
         std::initializer_list<QAbstractButton*>{m_pAutostart, m_pFirstCheck, m_pQuitConfirm,
                                                 m_pNotify, m_pReportAlways, m_pReportHeld}) {
        connect(button, &QAbstractButton::clicked, this, modified);
    }
    // The arrows write into the fields, so a field's change covers them too.
    for (QLineEdit* edit :
         {static_cast<QLineEdit*>(m_pInterval), static_cast<QLineEdit*>(m_pHideSeconds)}) {
        connect(edit, &QLineEdit::textChanged, this, modified);
    }
    connect(m_pSoundFile, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_pSoundTest->setEnabled(!text.isEmpty()); });
    connect(m_pSoundBrowse, &QPushButton::clicked, this, &CEnvironmentPage::OnBrowseSound);
    connect(m_pSoundTest, &QPushButton::clicked, this, &CEnvironmentPage::OnTestSound);
}

void CEnvironmentPage::ApplyCheckRule() {
    const bool bOn = m_pAutoCheck->isChecked();
    m_pInterval->setEnabled(bOn);
    m_pIntervalSpin->setEnabled(bOn);
    m_pMinutes->setEnabled(bOn);
}

void CEnvironmentPage::ApplyReportRule() {
    const bool bReport = m_pAutoReport->isChecked();
    m_pReportAlways->setEnabled(bReport);
    m_pReportHeld->setEnabled(bReport);
    m_pAutoHide->setEnabled(bReport);
    const bool bHide = bReport && m_pAutoHide->isChecked();
    m_pHideSeconds->setEnabled(bHide);
    m_pHideSpin->setEnabled(bHide);
    m_pSeconds->setEnabled(bHide);
}

bool CEnvironmentPage::OnApply() {
    int32_t nInterval = kIntervalWhenOff;
    if (m_pAutoCheck->isChecked()) {
        if (!DecimalInRange(m_pInterval->text(), kIntervalLowest, kIntervalHighest)) {
            return RefuseNumber(gui::txt::kIntervalRange, m_pInterval);
        }
        nInterval = DecimalValue(m_pInterval->text());
    }
    CheckWrite(options::SetAutoCheck(Flag(m_pAutoCheck)));
    CheckWrite(options::SetAutoCheckInterval(nInterval));
    CheckWrite(options::SetAutoReport(Flag(m_pAutoReport)));
    CheckWrite(options::SetReportDisplayMode(Flag(m_pReportAlways)));
    CheckWrite(options::SetFirstCheck(Flag(m_pFirstCheck)));
    CheckWrite(options::SetQuitConfirm(Flag(m_pQuitConfirm)));

    int32_t nSeconds = kIntervalWhenOff;
    if (m_pAutoHide->isChecked()) {
        if (!DecimalInRange(m_pHideSeconds->text(), kSecondsLowest, kSecondsHighest)) {
            return RefuseNumber(gui::txt::kHideRange, m_pHideSeconds);
        }
        nSeconds = DecimalValue(m_pHideSeconds->text());
    }
    CheckWrite(options::SetAutoHide(Flag(m_pAutoHide)));
    CheckWrite(options::SetAutoHideInterval(nSeconds));
    CheckWrite(options::SetSoundFilePath(ToUtf8Bytes(m_pSoundFile->text())));
    CheckWrite(options::SetNotify(Flag(m_pNotify)));
    CheckWrite(options::SetAutostart(Flag(m_pAutostart)));
    CheckWrite(m_pAutostart->isChecked() ? WriteAutostartEntry(ProgramFile())
                                         : RemoveAutostartEntry());
    return true;
}

void CEnvironmentPage::OnBrowseSound() {
    PathChoice choice;
    choice.kind = PathChooserKind::Open;
    choice.caption = Tr(gui::txt::kSoundChooserTitle);
    choice.filter = Tr(gui::txt::kSoundFilter);
    choice.preset = QStringLiteral("*.wav");
    const QString path = ChoosePath(this, choice);
    if (path.isEmpty()) {
        return;
    }
    PlaySoundFile(path);
    m_pSoundFile->setText(path);
    SetModified(true);
}

void CEnvironmentPage::OnTestSound() {
    PlaySoundFile(m_pSoundFile->text());
}

} // namespace tolvane
