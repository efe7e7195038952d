#include "app/TolvaneApp.h"

#include "app/AboutBox.h"
#include "app/GuiTexts.h"
#include "app/InformationView.h"
#include "app/MainFrame.h"
#include "app/MainMenus.h"
#include "app/QtTranslation.h"
#include "app/TolvaneDoc.h"
#include "app/desktop/QuitSignals.h"
#include "app/desktop/SingleInstance.h"
#include "app/help/HelpCommands.h"
#include "app/help/HelpWindow.h"
#include "app/maillist/TolvaneView.h"
#include "app/sound/SoundEffectPlayer.h"
#include "app/widgets/LayoutWrites.h"
#include "app/widgets/OffThread.h"
#include "platform/CodePage.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/Texts.h"

#include <QApplication>
#include <QDialog>

namespace tolvane::gui {

namespace {

// How often the end waits for modal windows to go before it ends regardless.
constexpr int kMaxFinishAttempts = 100;

} // namespace

CTolvaneApp::CTolvaneApp() {
    // The window may sit in the tray while a dialog closes: only the exit ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    InstallQtTranslation(this); // before the first message box
}

CTolvaneApp::~CTolvaneApp() {
    if (m_bStarted && !m_bFinished) {
        m_bFinished = true;
        CLayoutBatch layout;
        m_pDoc->CloseDocument();
        m_pFrame->SaveLayout();
    }
    m_pDoc.reset(); // the worker is gone before the window it reports to
    m_pHelp.reset();
    m_pFrame.reset();
    if (m_pSound) {
        SetSoundPlayer(nullptr);
    }
}

CTolvaneApp::StartResult CTolvaneApp::InitApplication() {
    // Settings, stores and the log hold passwords and mail: never in a folder others can use.
    if (!CheckPrivateFolders()) {
        return StartResult::Refused; // the message named the folder and the reason
    }
    m_pSingle = std::make_unique<CSingleInstance>(CSingleInstance::DefaultFolder(),
                                                  CSingleInstance::DefaultKey());
    if (!m_pSingle->Claim()) {
        return StartResult::OtherRuns;
    }
    if (!m_instanceLock.TryAcquire()) {
        if (m_instanceLock.HeldElsewhere()) {
            ShowMessage(Sjis(txt::kInstanceRunning), MsgButtons::Ok, MsgIcon::Stop);
        } else {
            const std::string path = Utf8ToCp932(CInstanceLock::LockPath().string());
            ShowMessage(SjisFormat(txt::kInstanceLockFailed, path.c_str()), MsgButtons::Ok,
                        MsgIcon::Stop);
        }
        return StartResult::Refused;
    }
    return StartResult::First;
}

bool CTolvaneApp::InitInstance() {
    m_pSignals = std::make_unique<CQuitSignals>();
    connect(m_pSignals.get(), &CQuitSignals::quitRequested, this,
            &CTolvaneApp::QuitWithoutQuestion);
    SetRegistryKey(txt::kCompanyName, txt::kAppName);
    std::string settingsProblem;
    if (!CheckSettingsFile(&settingsProblem)) {
        // A run on defaults would show none of the user's accounts and could save nothing.
        ShowMessage(settingsProblem, MsgButtons::Ok, MsgIcon::Stop);
        return false;
    }

    if (!InstalledSoundPlayer()) {
        m_pSound = std::make_unique<CSoundEffectPlayer>();
        SetSoundPlayer(m_pSound.get());
    }
    m_pHelp = std::make_unique<CHelpCommands>(ProgramFolder());
    m_pFrame = std::make_unique<CMainFrame>();
    m_messages.SetMainWindow(m_pFrame.get());
    m_pDoc = std::make_unique<CTolvaneDoc>(&m_pFrame->Bridge(), &m_messages);
    ConnectDocument();
    if (!m_pDoc->OnNewDocument()) {
        return false;
    }
    m_pFrame->InfoView()->InitialUpdate();
    m_pFrame->ListView()->InitialUpdate();

    connect(m_pFrame.get(), &CMainFrame::exitRequested, this, &CTolvaneApp::RequestQuit);
    connect(m_pDoc.get(), &CTolvaneDoc::exitRequested, this, &CTolvaneApp::RequestQuit);
    connect(m_pFrame.get(), &CMainFrame::aboutRequested, this, &CTolvaneApp::RunAboutBox);
    connect(m_pFrame.get(), &CMainFrame::helpRequested, this, &CTolvaneApp::RunHelp);
    if (m_pSingle) {
        connect(m_pSingle.get(), &CSingleInstance::showRequested, m_pFrame.get(),
                &CMainFrame::ShowFromAnotherStart);
    }
    m_bStarted = true;
    // A start that came while this one began is answered by showing the window.
    bool bShowRequested = false;
    if (m_pSingle) {
        m_pSingle->AcceptRequests();
        bShowRequested = m_pSingle->TakeEarlyRequest();
    }
    m_pFrame->RestoreAndShow(bShowRequested, m_bStartMinimized);
    m_pFrame->update();
    return true;
}

void CTolvaneApp::ConnectDocument() {
    CTolvaneDoc* doc = m_pDoc.get();
    CMainFrame* frame = m_pFrame.get();
    frame->SetDocument(doc);
    doc->SetViews(frame->ListView(), frame->InfoView());
    doc->SetDialogOwner(frame);
    connect(doc, &CTolvaneDoc::busyChanged, frame, &CMainFrame::SetBusyWindow);
    connect(doc, &CTolvaneDoc::trayTipChanged, frame, &CMainFrame::SetTrayTip);
    connect(doc, &CTolvaneDoc::newMailFound, frame, &CMainFrame::SetNewMail);
    connect(doc, &CTolvaneDoc::checkTimerChanged, frame, &CMainFrame::SetCheckTimer);
    connect(doc, &CTolvaneDoc::accountMenusChanged, &frame->Menus(),
            &CMainMenus::RebuildAccountMenus);
    connect(doc, &CTolvaneDoc::accountEnabledChanged, &frame->Menus(),
            &CMainMenus::SetAccountEnabled);
    connect(doc, &CTolvaneDoc::showMainWindowRequested, frame, &CMainFrame::ShowFromAnotherStart);
}

void CTolvaneApp::RequestQuit() {
    if (!m_bStarted || m_bQuitting || !m_pDoc->ConfirmQuit()) {
        return;
    }
    BeginQuit();
}

void CTolvaneApp::QuitWithoutQuestion() {
    if (!m_bStarted || m_bQuitting) {
        return;
    }
    BeginQuit();
}

void CTolvaneApp::BeginQuit() {
    m_bQuitting = true;
    m_messages.CloseQuestions();
    CloseModalWindows();
    // From the event loop: the command or dialog that led here unwinds first.
    QMetaObject::invokeMethod(this, &CTolvaneApp::FinishQuit, Qt::QueuedConnection);
}

bool CTolvaneApp::CloseModalWindows() {
    bool bAny = false;
    while (QWidget* popup = QApplication::activePopupWidget()) {
        bAny = true;
        if (!popup->close()) {
            break;
        }
    }
    QWidget* previous = nullptr;
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (modal == previous) {
            break; // it would not go
        }
        bAny = true;
        previous = modal;
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->done(QDialog::Rejected);
        } else {
            modal->close();
        }
    }
    return bAny;
}

void CTolvaneApp::FinishQuit() {
    if (m_bFinished) {
        return;
    }
    if (IsOffThreadWorkRunning()) {
        // A dialog waits on the keyring and holds an account: end once it has its answer
        // (each such call is bounded by its time-out).
        CloseModalWindows();
        connect(&OffThreadWaits(), &COffThreadWaits::ended, this, &CTolvaneApp::FinishQuit,
                Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
        return;
    }
    if (CloseModalWindows() && ++m_nFinishAttempts < kMaxFinishAttempts) {
        // A modal loop is still on the stack: end after it has returned.
        QMetaObject::invokeMethod(this, &CTolvaneApp::FinishQuit, Qt::QueuedConnection);
        return;
    }
    m_bFinished = true;
    {
        CLayoutBatch layout; // every window's layout in one settings write
        m_pDoc->CloseDocument();
        m_pFrame->SaveLayout();
    }
    m_pFrame->hide();
    Q_EMIT finished();
}

void CTolvaneApp::RunAboutBox() {
    CAboutBox box(m_pFrame.get());
    box.exec();
}

void CTolvaneApp::RunHelp(int id) {
    m_pHelp->Run(id);
}

} // namespace tolvane::gui
