#include "app/maillist/MailListText.h"

#include "app/GuiTexts.h"
#include "platform/AtomicFile.h"
#include "platform/Texts.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

namespace tolvane::gui {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr size_t kRuleWidth = 79;
constexpr size_t kBodyIndent = 4;

// "<indent><label>：<value><unit>\r\n": concatenated, so that no byte of the value is
// lost to formatting.
void AppendLabelled(std::string& out, size_t indent, const char* labelUtf8,
                    const std::string& value, const char* unitUtf8 = "") {
    out.append(indent, ' ');
    out += Sjis(labelUtf8);
    out += Sjis(txt::kSaveColon);
    out += value;
    out += Sjis(unitUtf8);
    out += kLineEnd;
}

void AppendRule(std::string& out) {
    out.append(kRuleWidth, '-');
    out += kLineEnd;
}

void AppendBody(std::string& out, const std::string& body) {
    if (body.empty()) {
        return;
    }
    out += kLineEnd;
    size_t start = 0;
    while (start < body.size()) {
        size_t end = body.find(kLineEnd, start);
        if (end == std::string::npos) {
            end = body.size();
        }
        out.append(kBodyIndent, ' ');
        out.append(body, start, end - start);
        out += kLineEnd;
        start = end + kLineEnd.size();
    }
}

} // namespace

std::string FormatMailListText(const std::vector<const CMail*>& mails) {
    std::string out = SjisFormat(txt::kSaveCount, static_cast<int>(mails.size()));
    AppendRule(out);
    for (const CMail* mail : mails) {
        AppendLabelled(out, 4, txt::kColumnSubject, mail->m_strSubject);
        AppendLabelled(out, 6, txt::kColumnFrom, mail->m_strFrom);
        AppendLabelled(out, 6, txt::kColumnSize, mail->m_strSize, txt::kSaveBytes);
        AppendLabelled(out, 4, txt::kColumnDate, mail->m_strDate);
        AppendLabelled(out, 0, txt::kColumnAccount, mail->m_strAccount);
        AppendRule(out);
        AppendBody(out, mail->m_strBody);
        AppendRule(out);
    }
    return out;
}

namespace {

// The file a save replaces: the one a link at path names (so the link stays), else path.
std::filesystem::path SaveTarget(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_symlink(path, error)) {
        std::filesystem::path target = std::filesystem::canonical(path, error);
        if (!error) {
            return target;
        }
    }
    return path;
}

// The process's umask, read without changing it (setting it to read it back would give
// the worker's files a wrong mode meanwhile); 022 where the kernel does not tell.
unsigned CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            return static_cast<unsigned>(std::strtoul(line.c_str() + 6, nullptr, 8)) & 0777u;
        }
    }
    return 022;
}

// An existing file's permission bits; for a new one 0666 less the umask, as any program
// that creates a document gives it.
unsigned SaveMode(const std::filesystem::path& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        return static_cast<unsigned>(st.st_mode & 07777);
    }
    return 0666u & ~CurrentUmask();
}

} // namespace

bool SaveMailListText(const std::filesystem::path& path, const std::vector<const CMail*>& mails) {
    const std::filesystem::path target = SaveTarget(path);
    return WriteFileAtomic(target, FormatMailListText(mails), SaveMode(target));
}

} // namespace tolvane::gui
