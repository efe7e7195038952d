#include "app/help/HelpDocument.h"

#include "app/widgets/QtText.h"

#include <QFile>
#include <QRegularExpression>
#include <QTextDocumentFragment>

namespace tolvane {

namespace {

bool ReadUtf8(const std::filesystem::path& path, QString& text) {
    QFile file(FromPath(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    text = QString::fromUtf8(file.readAll());
    return true;
}

} // namespace

bool CHelpDocument::Load(const std::filesystem::path& folder) {
    QString html;
    QString contents;
    if (!ReadUtf8(folder / "Tolvane.hlp", html)) {
        m_strError = FromPath(folder / "Tolvane.hlp");
        return false;
    }
    if (!ReadUtf8(folder / "Tolvane.cnt", contents)) {
        m_strError = FromPath(folder / "Tolvane.cnt");
        return false;
    }
    return Parse(html, contents);
}

bool CHelpDocument::Parse(const QString& html, const QString& contents) {
    m_pages.clear();
    m_texts.clear();
    m_contents.clear();
    m_strError.clear();
    return ParsePages(html) && ParseContents(contents);
}

bool CHelpDocument::ParsePages(const QString& html) {
    static const QRegularExpression kStyle(QStringLiteral("<style>(.*?)</style>"),
                                           QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression kSection(
        QStringLiteral("<section id=\"([a-z0-9-]+)\">(.*?)</section>"),
        QRegularExpression::DotMatchesEverythingOption);
    m_strStyle = kStyle.match(html).captured(1);
    for (auto it = kSection.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString topic = match.captured(1);
        if (m_pages.contains(topic)) {
            m_strError = QStringLiteral("Tolvane.hlp: two pages ") + topic;
            return false;
        }
        m_pages.insert(topic, match.captured(2));
        m_texts.insert(topic, QTextDocumentFragment::fromHtml(match.captured(2)).toPlainText());
    }
    if (m_pages.isEmpty()) {
        m_strError = QStringLiteral("Tolvane.hlp: no pages");
        return false;
    }
    return true;
}

bool CHelpDocument::ParseContents(const QString& contents) {
    static const QRegularExpression kEntry(QStringLiteral("^([1-9]) ([^=]+?)(?:=([a-z0-9-]+))?$"));
    const QStringList lines = contents.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(QStringLiteral(":Base "))) {
            continue;
        }
        if (line.startsWith(QStringLiteral(":Title "))) {
            m_strTitle = line.mid(7);
            continue;
        }
        const QRegularExpressionMatch match = kEntry.match(line);
        const QString where = QStringLiteral("Tolvane.cnt:") + QString::number(i + 1);
        if (!match.hasMatch()) {
            m_strError = where;
            return false;
        }
        HelpEntry entry{match.captured(1).toInt(), match.captured(2), match.captured(3)};
        if (!entry.topic.isEmpty() && !m_pages.contains(entry.topic)) {
            m_strError = where + QStringLiteral(": no page ") + entry.topic;
            return false;
        }
        m_contents.append(entry);
    }
    return true;
}

QString CHelpDocument::PageHtml(const QString& topic) const {
    const auto found = m_pages.find(topic);
    if (found == m_pages.end()) {
        return QString();
    }
    return QStringLiteral("<html><head><style>") + m_strStyle +
           QStringLiteral("</style></head><body>") + *found + QStringLiteral("</body></html>");
}

QString CHelpDocument::PageText(const QString& topic) const {
    return m_texts.value(topic);
}

} // namespace tolvane
