#include "tests/support/gui/AppTest.h"

#include "app/MainFrame.h"
#include "app/MainMenus.h"
#include "app/TolvaneDoc.h"
#include "app/widgets/QtText.h"
#include "platform/CodePage.h"
#include "platform/Profile.h"

#include <QAction>
#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tolvane::test {

GuiHome::GuiHome() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    m_bHadRuntime = runtime != nullptr;
    if (runtime) {
        m_savedRuntime = runtime;
    }
    const std::filesystem::path folder = Path() / "run";
    std::filesystem::create_directories(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
}

GuiHome::~GuiHome() {
    if (m_bHadRuntime) {
        ::setenv("XDG_RUNTIME_DIR", m_savedRuntime.c_str(), 1);
    } else {
        ::unsetenv("XDG_RUNTIME_DIR");
    }
}

MessageBoxAnswers::MessageBoxAnswers() {
    gui::CMessageBoxHost::SetAnswerer([this](const gui::MessageBoxRequest& request) {
        m_shown.push_back(request);
        if (!m_answers.empty()) {
            const int answer = m_answers.front();
            m_answers.pop_front();
            return answer;
        }
        return request.buttons == MsgButtons::YesNo || request.buttons == MsgButtons::YesNoCancel
                   ? static_cast<int>(IDYES)
                   : static_cast<int>(IDOK);
    });
}

MessageBoxAnswers::~MessageBoxAnswers() {
    gui::CMessageBoxHost::SetAnswerer(nullptr);
}

void MessageBoxAnswers::Queue(int answer) {
    m_answers.push_back(answer);
}

std::vector<gui::MessageBoxRequest> MessageBoxAnswers::Shown() const {
    return m_shown;
}

std::vector<std::string> MessageBoxAnswers::TextsUtf8() const {
    std::vector<std::string> texts;
    for (const auto& request : m_shown) {
        texts.push_back(request.text.toStdString());
    }
    return texts;
}

void WriteAccount(const AccountSettings& account) {
    const std::string section = "Account\\" + Utf8ToCp932(account.nameUtf8);
    WriteProfileString(section, "Servername", "127.0.0.1");
    WriteProfileString(section, "Username", account.user);
    WriteProfileString(section, "Password", account.password);
    WriteProfileInt(section, "PortNo", static_cast<int32_t>(account.port));
    WriteProfileInt(section, "ReceiveCount", account.receiveCount);
    WriteProfileInt(section, "Timeout", account.timeout);
    WriteProfileInt(section, "Enable", account.enable);
    WriteProfileInt(section, "ReceiveNewMailOnly", account.newMailOnly);
}

RunningApp::RunningApp() : m_pApp(std::make_unique<gui::CTolvaneApp>()) {}

RunningApp::~RunningApp() {
    if (m_pApp->Frame() && m_pApp->Document() && !m_pApp->IsFinished()) {
        Quit();
    }
    m_pApp.reset();
}

bool RunningApp::Start() {
    if (m_pApp->InitApplication() != gui::CTolvaneApp::StartResult::First ||
        !m_pApp->InitInstance()) {
        return false;
    }
    QObject::connect(Doc(), &gui::CTolvaneDoc::jobCompleted, Doc(),
                     [this](int id) { m_completed.push_back(id); });
    // Passwords still in the settings file move to the keyring first (none answers here
    // unless the test put one in): the program is the user's once that has ended.
    return !Doc()->IsMovingPasswords() || WaitForJob(ID_PASSWORDS_MOVED);
}

bool RunningApp::WaitForJob(int id, int timeoutMs) {
    QSignalSpy spy(Doc(), &gui::CTolvaneDoc::jobCompleted);
    for (;;) {
        for (size_t i = 0; i < m_completed.size(); ++i) {
            if (id == 0 || m_completed[i] == id) {
                m_completed.erase(m_completed.begin(),
                                  m_completed.begin() + static_cast<long>(i) + 1);
                return true;
            }
        }
        if (!spy.wait(timeoutMs)) {
            return false;
        }
    }
}

bool RunningApp::Quit() {
    QSignalSpy finished(m_pApp.get(), &gui::CTolvaneApp::finished);
    m_pApp->QuitWithoutQuestion();
    return m_pApp->IsFinished() || finished.wait(60000);
}

gui::CMainFrame* RunningApp::Frame() const {
    return m_pApp->Frame();
}

gui::CTolvaneDoc* RunningApp::Doc() const {
    return m_pApp->Document();
}

gui::CTolvaneView* RunningApp::List() const {
    return m_pApp->Frame() ? m_pApp->Frame()->ListView() : nullptr;
}

bool RunningApp::Trigger(int id) {
    QAction* action = Frame() ? Frame()->Menus().Action(id) : nullptr;
    if (!action) {
        ADD_FAILURE() << "command " << id << " has no menu or tool-bar action";
        return false;
    }
    if (!action->isEnabled()) {
        ADD_FAILURE() << "command " << id << " is greyed: the user could not choose it";
        return false;
    }
    action->trigger();
    return true;
}

void ProcessEvents() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

} // namespace tolvane::test
