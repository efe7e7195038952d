// Which page of the help belongs to a window and to a command.
//
// - TopicForWidget walks from the widget up through its parents and returns the topic of
//   the first one whose object name has a page (an options page before its sheet, the
//   mail list before the main window); an empty string when none has.
// - TopicForCommand returns the page that describes a command id (menus, tool bar, tray);
//   an empty string for ids without a page.
// - Every topic named here is a page of Tolvane.hlp (the help tests check it).
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace tolvane {

// The page the help opens on when there is nothing more particular.
inline constexpr char kFirstTopic[] = "overview";

QString TopicForWidget(const QWidget* widget);
QString TopicForCommand(int id);

// Every topic of the two tables.
QStringList KnownTopics();

} // namespace tolvane
