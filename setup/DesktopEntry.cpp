#include "setup/DesktopEntry.h"

#include "platform/AtomicFile.h"

#include <QStringDecoder>

#include <system_error>

namespace tolvane::setup {

namespace {

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

bool IsValidUtf8(std::string_view text) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded =
        decoder(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return !decoder.hasError();
}

// Control characters cannot stand in a launcher value at all.
bool HasControlCharacter(std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            return true;
        }
    }
    return false;
}

bool IsPlainValue(std::string_view text) {
    return IsValidUtf8(text) && !HasControlCharacter(text);
}

} // namespace

bool QuoteExecArgument(std::string_view utf8, std::string& quoted) {
    if (utf8.empty() || !IsPlainValue(utf8)) {
        return false;
    }
    const bool needQuotes = utf8.find_first_of(kReserved) != std::string_view::npos;
    std::string argument;
    if (needQuotes) {
        argument += '"';
    }
    for (char c : utf8) {
        if (needQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) {
            argument += '\\';
        }
        argument += c;
        if (c == '%') {
            argument += '%';
        }
    }
    if (needQuotes) {
        argument += '"';
    }
    // The Exec value is a string value first: its own backslashes are escaped again.
    quoted.clear();
    for (char c : argument) {
        quoted += c;
        if (c == '\\') {
            quoted += '\\';
        }
    }
    return true;
}

bool DesktopEntryText(const DesktopEntry& entry, std::string& text) {
    std::string exec;
    if (!entry.program.is_absolute() || !QuoteExecArgument(entry.program.string(), exec) ||
        entry.name.empty() || !IsPlainValue(entry.name) || !IsPlainValue(entry.arguments)) {
        return false;
    }
    if (!entry.arguments.empty()) {
        exec += ' ';
        exec += entry.arguments;
    }
    text = "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.4\n"
           "Name=" +
           entry.name + "\nExec=" + exec + "\nTerminal=false\n";
    if (!entry.icon.empty()) {
        text += "Icon=" + entry.icon + "\n";
    }
    if (!entry.categories.empty()) {
        text += "Categories=" + entry.categories + "\n";
    }
    return true;
}

bool WriteDesktopEntry(const std::filesystem::path& file, const DesktopEntry& entry,
                       unsigned mode) {
    std::string text;
    if (!DesktopEntryText(entry, text)) {
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    return WriteFileAtomic(file, text, mode);
}

} // namespace tolvane::setup
