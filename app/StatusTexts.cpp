#include "app/StatusTexts.h"

#include "app/GuiTexts.h"
#include "app/QtText.h"
#include "platform/Texts.h"

#include <cstdio>

namespace tolvane::gui {

namespace {

// printf into UTF-8 for the string table's formats (UTF-8 arguments).
template <typename... Args> QString FormatUtf8(const char* formatUtf8, Args... args) {
    char buffer[512];
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::snprintf(buffer, sizeof buffer, formatUtf8, args...);
#pragma GCC diagnostic pop
    return QString::fromUtf8(buffer);
}

} // namespace

QString ClockText(const std::tm& local) {
    const int hour = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
    const char* word = local.tm_hour >= 12 ? txt::kAfternoon : txt::kMorning;
    return FormatUtf8(txt::kClockFormat, static_cast<unsigned>(local.tm_year + 1900),
                      static_cast<unsigned>(local.tm_mon + 1), static_cast<unsigned>(local.tm_mday),
                      word, hour, local.tm_min);
}

QString CountedPrompt(unsigned mailCount, const QString& prompt) {
    const std::string promptUtf8 = prompt.toStdString();
    if (mailCount == 0) {
        return FormatUtf8(txt::kPromptNoMail, promptUtf8.c_str());
    }
    return FormatUtf8(txt::kPromptMails, mailCount, promptUtf8.c_str());
}

QString ToggleAccountPrompt(const std::string& nameCp932, bool bEnabled) {
    return FromCp932(
        SjisFormat(bEnabled ? txt::kPromptDisable : txt::kPromptEnable, nameCp932.c_str()));
}

QString CheckAccountPrompt(const std::string& nameCp932) {
    return FromCp932(SjisFormat(txt::kPromptCheckAccount, nameCp932.c_str()));
}

QString MailCountTip(int count) {
    return count > 0 ? FormatUtf8(txt::kTipMails, count) : Tr(txt::kTipNoMail);
}

QString TrayTipText(const QString& text) {
    return FromCp932(Cp932Prefix(ToCp932(text), kTrayTipBytes));
}

} // namespace tolvane::gui
