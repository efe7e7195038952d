// The one place where the engine's CP932 bytes and Qt's strings meet. Every text that goes
// into a widget, and every text a widget gives back to the engine, passes through here;
// the GUI is built with QT_NO_CAST_FROM_ASCII / QT_NO_CAST_FROM_BYTEARRAY so that bytes
// cannot slip into a widget any other way.
//
// CP932 conversions follow platform/CodePage.h: a character CP932 cannot hold becomes "?".
// File paths and credentials are UTF-8 bytes and never pass through CP932.
#pragma once

#include "platform/CodePage.h"

#include <QString>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>

namespace tolvane {

// CP932 bytes (the engine's texts) to a QString.
inline QString FromCp932(std::string_view cp932) {
    const std::u16string utf16 = Cp932ToUtf16(cp932);
    return QString::fromUtf16(utf16.data(), static_cast<qsizetype>(utf16.size()));
}

// The longest prefix of cp932 of at most maxBytes that ends on a character boundary.
inline std::string_view Cp932Prefix(std::string_view cp932, size_t maxBytes) {
    size_t end = 0;
    while (end < cp932.size()) {
        const size_t width = IsCp932LeadByte(static_cast<unsigned char>(cp932[end])) ? 2 : 1;
        if (end + width > maxBytes) {
            break;
        }
        end += width;
    }
    return cp932.substr(0, std::min(end, cp932.size()));
}

// A CP932 text with CR LF line ends (a mail's lines, the log) for a text box: at most
// maxBytes of it, line ends as the box wants them.
inline QString FromCp932Text(std::string_view cp932, size_t maxBytes) {
    QString text = FromCp932(Cp932Prefix(cp932, maxBytes));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// A QString to CP932 bytes for the engine.
inline std::string ToCp932(const QString& text) {
    return Utf16ToCp932(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                            static_cast<size_t>(text.size())));
}

// A UTF-8 literal of a string table (app/GuiTexts.h, settings/SettingsTexts.h, engine/JobTexts.h)
// to a QString.
inline QString Tr(const char* textUtf8) {
    return QString::fromUtf8(textUtf8);
}

// Server names, user names and passwords: UTF-8 bytes both ways, exactly as the settings
// file holds them, so that they reach the server as the user typed them.
inline QString FromUtf8Bytes(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline std::string ToUtf8Bytes(const QString& text) {
    return text.toStdString();
}

// File paths: UTF-8 bytes both ways.
inline QString FromPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}
inline std::filesystem::path ToPath(const QString& path) {
    return std::filesystem::path(path.toStdString());
}

} // namespace tolvane
