// Test support shared by every test: a private home for settings and data, a recorder of
// user messages, and a host that records what the worker shows and answers questions
// from a script.
#pragma once

#include "engine/Host.h"
#include "platform/MessageHost.h"

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace tolvane::test {

// A fresh folder under the system temporary folder, removed (recursively) at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Points HOME, XDG_CONFIG_HOME and XDG_DATA_HOME at a fresh TempDir for its lifetime, so
// a test never touches the user's real settings, and restores them afterwards.
class ScopedHome {
public:
    ScopedHome();
    ~ScopedHome();
    const std::filesystem::path& Path() const { return m_dir.Path(); }
    std::filesystem::path ConfigHome() const { return m_dir.Path() / "config"; }
    std::filesystem::path DataHome() const { return m_dir.Path() / "data"; }

private:
    TempDir m_dir;
    std::vector<std::pair<std::string, std::string>> m_saved; // name, value ("\x01" = unset)
};

// Records every message shown (as UTF-8) and answers with a scripted result (IDOK by
// default). Installs itself for its lifetime.
class RecordingMessageHost final : public IMessageHost {
public:
    struct Shown {
        std::string textUtf8;
        MsgButtons buttons;
        MsgIcon icon;
    };
    RecordingMessageHost();
    ~RecordingMessageHost() override;
    int ShowMessage(const std::string& textCp932, MsgButtons buttons, MsgIcon icon) override;
    void QueueAnswer(int answer);
    std::vector<Shown> Messages() const;

private:
    mutable std::mutex m_mutex;
    std::vector<Shown> m_shown;
    std::deque<int> m_answers;
    IMessageHost* m_previous = nullptr;
};

// An IHost that records titles, menu texts, posted commands and questions (as UTF-8),
// answering questions from a queue (OK when the queue is empty unless SetDefaultAnswer).
class RecordingHost final : public IHost {
public:
    explicit RecordingHost(std::string titleUtf8 = "トルヴェイン");
    std::string GetWindowText() override;
    void SetWindowText(const std::string& textCp932) override;
    void SetCancelMenuText(const std::string& textCp932) override;
    void PostCommand(int id) override;
    bool Ask(const std::string& textCp932) override;

    void QueueAnswer(bool ok);
    void SetDefaultAnswer(bool ok);
    void SetTitleUtf8(const std::string& titleUtf8);
    // Called on the setting thread with each text SetWindowText sets (UTF-8).
    void OnTitle(std::function<void(const std::string& titleUtf8)> hook);
    // Blocks until n commands were posted or the time runs out; true when they were.
    bool WaitForCommands(size_t n, int timeoutMs = 30000);

    std::string TitleUtf8() const;
    std::vector<std::string> Titles() const; // every text set, in order
    std::vector<std::string> MenuTexts() const;
    std::vector<int> Commands() const;
    std::vector<std::string> Questions() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_posted;
    std::string m_title;
    std::vector<std::string> m_titles, m_menuTexts, m_questions;
    std::function<void(const std::string&)> m_titleHook;
    std::vector<int> m_commands;
    std::deque<bool> m_answers;
    bool m_defaultAnswer = true;
};

// Collects log texts given to an account's report callback (context = this), as CP932.
class LogCollector {
public:
    static void Append(const std::string& textCp932, void* context);
    std::string Cp932() const;
    std::string Utf8() const;
    std::vector<std::string> Texts() const; // each text, UTF-8, in order

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_texts;
};

// Counts how often a file was written: replaced by a rename or closed after writing, as
// inotify on its folder reports it. The kernel queues an event before the call that caused
// it returns, so Count() needs no waiting.
class FileWriteCounter {
public:
    explicit FileWriteCounter(const std::filesystem::path& file);
    ~FileWriteCounter();
    FileWriteCounter(const FileWriteCounter&) = delete;
    FileWriteCounter& operator=(const FileWriteCounter&) = delete;
    // Writes since construction.
    int Count();

private:
    int m_fd = -1;
    std::string m_name;
    int m_count = 0;
};

// Root reads any file whatever its mode. A test that needs a permission to bite runs the
// part that must be refused as this unprivileged user when it runs as root.
inline constexpr unsigned kNobodyId = 65534;
bool RunningAsRoot();
// Gives the tree below path (and path) to kNobodyId when running as root.
void HandToNobody(const std::filesystem::path& path);

// text, count times over (long names and values).
std::string Repeated(const std::string& text, size_t count);

// Reads a whole file as bytes ("" when it cannot be read).
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

} // namespace tolvane::test
