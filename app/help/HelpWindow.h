// CHelpWindow: the help window: the contents on the left (with a search field that keeps
// only the pages containing every word typed), the page on the right.
//
// - ShowTopic shows a page and selects it in the contents; an unknown topic shows the
//   first page. A link to another page ("#topic") shows that page; any other link is
//   opened with the user's default program.
// - The window is modeless, except that it is opened modal above a modal dialog (a
//   modeless window would get no input while that dialog runs); Open decides.
#pragma once

#include "app/help/HelpDocument.h"

#include <QDialog>

class QLineEdit;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;

namespace tolvane {

class CHelpWindow final : public QDialog {
    Q_OBJECT
public:
    explicit CHelpWindow(const CHelpDocument& document, QWidget* parent = nullptr);

    // Shows the window on topic and brings it forward with the focus.
    void Open(const QString& topic, bool bFocusSearch = false);
    void ShowTopic(const QString& topic);
    QString Topic() const { return m_strTopic; }

    QTreeWidget* ContentsTree() const { return m_pTree; }
    QLineEdit* SearchField() const { return m_pSearch; }
    QTextBrowser* Page() const { return m_pPage; }

private:
    void FillContents();
    void Filter(const QString& words);
    void OnItemActivated(QTreeWidgetItem* item);
    void OnAnchor(const QUrl& url);
    QTreeWidgetItem* FindItem(const QString& topic) const;

    const CHelpDocument& m_document;
    QLineEdit* m_pSearch = nullptr;
    QTreeWidget* m_pTree = nullptr;
    QTextBrowser* m_pPage = nullptr;
    QString m_strTopic;
};

} // namespace tolvane
