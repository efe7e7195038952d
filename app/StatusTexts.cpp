#include "app/StatusTexts.h"

#include "app/GuiTexts.h"
#include "app/widgets/QtText.h"
#include "platform/Texts.h"

#include <cstdio>
#include <string>

namespace tolvane::gui {

namespace {

// printf into UTF-8 for the string table's formats (UTF-8 arguments), measured first: a
// long account name in a prompt is never cut, least of all inside a character.
template <typename... Args> QString FormatUtf8(const char* formatUtf8, Args... args) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    const int length = std::snprintf(nullptr, 0, formatUtf8, args...);
    if (length <= 0) {
        return QString();
    }
    std::string buffer(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(buffer.data(), buffer.size(), formatUtf8, args...);
#pragma GCC diagnostic pop
    return QString::fromUtf8(buffer.data(), length);
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

QString MailCountTip(int count, int failedAccounts) {
    QString tip = count > 0 ? FormatUtf8(txt::kTipMails, count) : Tr(txt::kTipNoMail);
    if (failedAccounts <= 0) {
        return tip;
    }
    return tip + u'\n' + Tr(txt::kTipFailed).arg(failedAccounts);
}

QString FailurePrompt(int failedAccounts, const QString& prompt) {
    if (failedAccounts <= 0) {
        return prompt;
    }
    return Tr(txt::kPromptFailed).arg(failedAccounts) + QStringLiteral("  ") + prompt;
}

QString TrayTipText(const QString& text) {
    return FromCp932(Cp932Prefix(ToCp932(text), kTrayTipBytes));
}

} // namespace tolvane::gui
