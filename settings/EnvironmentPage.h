// CEnvironmentPage: the options sheet's page "全般": start-up and exit, periodic checking,
// the new-mail sound and notification, and the automatic mail count window.
//
// Controls and the Option keys they edit: Autostart, FirstCheck, QuitConfirm, AutoCheck with
// AutoCheckInterval (1 to 60 minutes, 2 characters), SoundFile (up to kPathMaxLength characters)
// with browse and test, Notify, AutoReport with ReportDisplayMode (two radio buttons), AutoHide
// with AutoHideInterval (1 to 999 seconds, 3 characters).
//
// Enable rules: the interval follows AutoCheck; the radio buttons and AutoHide follow
// AutoReport; the seconds follow AutoReport and AutoHide together; the test button is
// enabled while the sound field is not empty. Every change marks the page modified,
// except typing in the sound field.
//
// OnApply, in this order: the interval is checked when AutoCheck is ticked (1 to 60; 30
// is stored when it is not); AutoCheck and AutoCheckInterval; AutoReport,
// ReportDisplayMode, FirstCheck, QuitConfirm (disabled controls as they show); the
// seconds are checked when AutoHide is ticked (1 to 999; 30 otherwise); AutoHide and
// AutoHideInterval; SoundFile as typed (not checked); Notify; Autostart, with the
// autostart entry written or removed to match (platform/Autostart.h). A failed check stops
// there with its message; every failed write shows its message and the next write runs.
//
// Browse chooses a WAV file, plays it at once and puts its path in the field; test plays
// the field's file. Both go through the sound player and never wait for the sound.
#pragma once

#include "settings/OptionPage.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tolvane {

class CNumberEdit;
class CUpDown;

class CEnvironmentPage final : public COptionPage {
    Q_OBJECT
public:
    explicit CEnvironmentPage(QWidget* parent = nullptr);

    bool OnApply() override;

private:
    QGroupBox* BuildStartExitGroup();
    QGroupBox* BuildCheckGroup();
    QGroupBox* BuildReportGroup();
    void Fill();
    void ConnectRules();
    void ApplyCheckRule();
    void ApplyReportRule();
    void OnBrowseSound();
    void OnTestSound();

    QCheckBox* m_pAutostart = nullptr;
    QCheckBox* m_pFirstCheck = nullptr;
    QCheckBox* m_pQuitConfirm = nullptr;
    QCheckBox* m_pAutoCheck = nullptr;
    CNumberEdit* m_pInterval = nullptr;
    CUpDown* m_pIntervalSpin = nullptr;
    QLabel* m_pMinutes = nullptr;
    QLineEdit* m_pSoundFile = nullptr;
    QPushButton* m_pSoundBrowse = nullptr;
    QPushButton* m_pSoundTest = nullptr;
    QCheckBox* m_pNotify = nullptr;
    QCheckBox* m_pAutoReport = nullptr;
    QRadioButton* m_pReportAlways = nullptr;
    QRadioButton* m_pReportHeld = nullptr;
    QCheckBox* m_pAutoHide = nullptr;
    CNumberEdit* m_pHideSeconds = nullptr;
    CUpDown* m_pHideSpin = nullptr;
    QLabel* m_pSeconds = nullptr;
};

} // namespace tolvane
