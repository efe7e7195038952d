// CHelpDocument: the program's help as shipped beside it: Tolvane.hlp, an HTML document
// whose pages are <section id="TOPIC"> elements (not nested), and Tolvane.cnt, its
// contents list. Both are UTF-8.
//
// The contents list has one entry a line: "LEVEL TITLE=TOPIC" is a page, "LEVEL TITLE" a
// heading for the pages below it (LEVEL from 1). ":Title TEXT" names the help; lines
// that start with ";" and empty lines are skipped. A line of any other form, or a page
// whose topic the document lacks, makes Load fail with a description (the file is ours,
// so this is a fault to see, not to guess around).
#pragma once

#include <QList>
#include <QMap>
#include <QString>

#include <filesystem>

namespace tolvane {

struct HelpEntry {
    int nLevel = 1;
    QString title;
    QString topic; // empty for a heading
};

class CHelpDocument {
public:
    // Reads folder/Tolvane.hlp and folder/Tolvane.cnt. False, with Error(), when either
    // cannot be read or does not parse.
    bool Load(const std::filesystem::path& folder);
    // The same from the texts themselves.
    bool Parse(const QString& html, const QString& contents);

    QString Title() const { return m_strTitle; }
    const QList<HelpEntry>& Contents() const { return m_contents; }
    bool HasTopic(const QString& topic) const { return m_pages.contains(topic); }
    // The page's HTML (with the document's style sheet); empty when there is no such page.
    QString PageHtml(const QString& topic) const;
    // The page's words, for the search.
    QString PageText(const QString& topic) const;
    QString Error() const { return m_strError; }

private:
    bool ParsePages(const QString& html);
    bool ParseContents(const QString& contents);

    QString m_strTitle;
    QString m_strStyle;
    QList<HelpEntry> m_contents;
    QMap<QString, QString> m_pages;
    QMap<QString, QString> m_texts;
    QString m_strError;
};

} // namespace tolvane
