#include "app/MailListText.h"

#include "app/GuiTexts.h"
#include "platform/AtomicFile.h"
#include "platform/Texts.h"

#include <string_view>

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

bool SaveMailListText(const std::filesystem::path& path, const std::vector<const CMail*>& mails) {
    return WriteFileAtomic(path, FormatMailListText(mails), 0600);
}

} // namespace tolvane::gui
