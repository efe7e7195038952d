#include "tests/support/TestEnv.h"

#include "platform/CodePage.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <sys/inotify.h>
#include <unistd.h>

namespace tolvane::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "tolvane-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(m_path, ignored);
}

namespace {
constexpr const char* kUnset = "\x01";
constexpr const char* kHomeVariables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"};
} // namespace

ScopedHome::ScopedHome() {
    for (const char* name : kHomeVariables) {
        const char* value = std::getenv(name);
        m_saved.emplace_back(name, value ? value : kUnset);
    }
    ::setenv("HOME", m_dir.Path().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", ConfigHome().c_str(), 1);
    ::setenv("XDG_DATA_HOME", DataHome().c_str(), 1);
}

ScopedHome::~ScopedHome() {
    for (const auto& [name, value] : m_saved) {
        if (value == kUnset) {
            ::unsetenv(name.c_str());
        } else {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
    }
}

RecordingMessageHost::RecordingMessageHost() {
    m_previous = SetMessageHost(this);
}
RecordingMessageHost::~RecordingMessageHost() {
    SetMessageHost(m_previous);
}

int RecordingMessageHost::ShowMessage(const std::string& textCp932, MsgButtons buttons,
                                      MsgIcon icon) {
    std::lock_guard lock(m_mutex);
    m_shown.push_back({Cp932ToUtf8(textCp932), buttons, icon});
    if (m_answers.empty()) {
        return IDOK;
    }
    int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void RecordingMessageHost::QueueAnswer(int answer) {
    std::lock_guard lock(m_mutex);
    m_answers.push_back(answer);
}

std::vector<RecordingMessageHost::Shown> RecordingMessageHost::Messages() const {
    std::lock_guard lock(m_mutex);
    return m_shown;
}

RecordingHost::RecordingHost(std::string titleUtf8) : m_title(Utf8ToCp932(titleUtf8)) {}

std::string RecordingHost::GetWindowText() {
    std::lock_guard lock(m_mutex);
    return m_title;
}

void RecordingHost::SetWindowText(const std::string& textCp932) {
    std::function<void(const std::string&)> hook;
    {
        std::lock_guard lock(m_mutex);
        m_title = textCp932;
        m_titles.push_back(Cp932ToUtf8(textCp932));
        hook = m_titleHook;
    }
    if (hook) {
        hook(Cp932ToUtf8(textCp932));
    }
}

void RecordingHost::OnTitle(std::function<void(const std::string& titleUtf8)> hook) {
    std::lock_guard lock(m_mutex);
    m_titleHook = std::move(hook);
}

void RecordingHost::SetCancelMenuText(const std::string& textCp932) {
    std::lock_guard lock(m_mutex);
    m_menuTexts.push_back(Cp932ToUtf8(textCp932));
}

void RecordingHost::PostCommand(int id) {
    {
        std::lock_guard lock(m_mutex);
        m_commands.push_back(id);
    }
    m_posted.notify_all();
}

bool RecordingHost::Ask(const std::string& textCp932) {
    std::lock_guard lock(m_mutex);
    m_questions.push_back(Cp932ToUtf8(textCp932));
    if (m_answers.empty()) {
        return m_defaultAnswer;
    }
    bool answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void RecordingHost::QueueAnswer(bool ok) {
    std::lock_guard lock(m_mutex);
    m_answers.push_back(ok);
}

void RecordingHost::SetDefaultAnswer(bool ok) {
    std::lock_guard lock(m_mutex);
    m_defaultAnswer = ok;
}

void RecordingHost::SetTitleUtf8(const std::string& titleUtf8) {
    std::lock_guard lock(m_mutex);
    m_title = Utf8ToCp932(titleUtf8);
}

bool RecordingHost::WaitForCommands(size_t n, int timeoutMs) {
    std::unique_lock lock(m_mutex);
    return m_posted.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return m_commands.size() >= n; });
}

std::string RecordingHost::TitleUtf8() const {
    std::lock_guard lock(m_mutex);
    return Cp932ToUtf8(m_title);
}

std::vector<std::string> RecordingHost::Titles() const {
    std::lock_guard lock(m_mutex);
    return m_titles;
}

std::vector<std::string> RecordingHost::MenuTexts() const {
    std::lock_guard lock(m_mutex);
    return m_menuTexts;
}

std::vector<int> RecordingHost::Commands() const {
    std::lock_guard lock(m_mutex);
    return m_commands;
}

std::vector<std::string> RecordingHost::Questions() const {
    std::lock_guard lock(m_mutex);
    return m_questions;
}

void LogCollector::Append(const std::string& textCp932, void* context) {
    auto* self = static_cast<LogCollector*>(context);
    std::lock_guard lock(self->m_mutex);
    self->m_texts.push_back(textCp932);
}

std::string LogCollector::Cp932() const {
    std::lock_guard lock(m_mutex);
    std::string all;
    for (const auto& text : m_texts) {
        all += text;
    }
    return all;
}

std::string LogCollector::Utf8() const {
    return Cp932ToUtf8(Cp932());
}

std::vector<std::string> LogCollector::Texts() const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> texts;
    for (const auto& text : m_texts) {
        texts.push_back(Cp932ToUtf8(text));
    }
    return texts;
}

FileWriteCounter::FileWriteCounter(const fs::path& file)
    : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), m_name(file.filename().string()) {
    if (m_fd < 0 ||
        ::inotify_add_watch(m_fd, file.parent_path().c_str(), IN_MOVED_TO | IN_CLOSE_WRITE) < 0) {
        std::abort(); // a test could not count anything
    }
}

FileWriteCounter::~FileWriteCounter() {
    ::close(m_fd);
}

int FileWriteCounter::Count() {
    alignas(inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got <= 0) {
            return m_count;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && m_name == event->name) {
                ++m_count;
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

void HandToNobody(const fs::path& path) {
    if (!RunningAsRoot()) {
        return;
    }
    if (::lchown(path.c_str(), kNobodyId, kNobodyId) != 0) {
        std::abort();
    }
    if (fs::is_directory(fs::symlink_status(path))) {
        for (const auto& entry : fs::recursive_directory_iterator(path)) {
            if (::lchown(entry.path().c_str(), kNobodyId, kNobodyId) != 0) {
                std::abort();
            }
        }
    }
}

std::string ReadFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Repeated(const std::string& text, size_t count) {
    std::string repeated;
    repeated.reserve(text.size() * count);
    for (size_t i = 0; i < count; ++i) {
        repeated += text;
    }
    return repeated;
}

} // namespace tolvane::test
