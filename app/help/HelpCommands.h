// CHelpCommands: the help commands of the program and the help keys of every window.
//
// - Run(id): 57667 (topic search) opens the help window with the search field focused;
//   57671 (the help's first page) opens it on its first page; 57670 (F1) on the page of
//   what the user is in: the command under the highlight of an open menu, else the
//   window or pane with the focus; 57669 (Shift+F1) enters context help: the pointer
//   becomes the help pointer and the next click opens the page of what was clicked
//   (a menu item or tool button by its command, else the window) instead of acting on
//   it; Esc leaves it.
// - F1 and Shift+F1 pressed in any window of the program run 57670 (for the widget the
//   key went to) and 57669, unless a shortcut of that window has already taken the key
//   (the main window's own).
// - Menu items and tool buttons carry their command id as the QAction's data.
// - The help is read from the folder given (the program's folder) when first needed; a
//   help that cannot be read is reported with its path (stop icon) each time it is asked
//   for.
#pragma once

#include "app/CommandIds.h"
#include "app/help/HelpDocument.h"

#include <QObject>
#include <QPointer>

#include <filesystem>
#include <memory>

class QAction;

namespace tolvane {

class CHelpWindow;

class CHelpCommands final : public QObject {
    Q_OBJECT
public:
    explicit CHelpCommands(std::filesystem::path folder);
    ~CHelpCommands() override;

    void Run(int id);
    // The page F1 would open now.
    QString CurrentTopic() const;
    bool InContextHelp() const { return m_bContextHelp; }
    CHelpWindow* Window() const { return m_pWindow; }

    static QString TopicForAction(const QAction* action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The page of what the highlight of an open menu is on, else of target's window.
    static QString TopicFor(const QWidget* target);
    void ShowHelpOn(const QString& topic);
    bool ShowHelp(const QString& topic, bool bFocusSearch = false);
    void EnterContextHelp();
    void LeaveContextHelp();
    QString TopicAt(const QPoint& globalPos) const;

    std::filesystem::path m_folder;
    std::unique_ptr<CHelpDocument> m_pDocument;
    QPointer<CHelpWindow> m_pWindow;
    bool m_bContextHelp = false;
};

} // namespace tolvane
