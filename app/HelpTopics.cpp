#include "app/HelpTopics.h"

#include <QWidget>

#include <map>
#include <string>

namespace tolvane {

namespace {

const std::map<std::string, const char*>& WindowTopics() {
    static const std::map<std::string, const char*> kTopics = {
        {"mainFrame", "main-window"},
        {"mailList", "mail-list"},
        {"mailListMenu", "mail-list"},
        {"informationView", "info-pane"},
        {"viewer", "viewer"},
        {"accountDialog", "accounts"},
        {"reloadLinesDialog", "reload-lines"},
        {"optionSheet", "options-general"},
        {"environmentPage", "options-general"},
        {"connectLogPage", "options-log"},
        {"reportDialog", "report"},
        {"aboutBox", "about"},
        {"helpWindow", "help-window"},
    };
    return kTopics;
}

const std::map<int, const char*>& CommandTopics() {
    static const std::map<int, const char*> kTopics = {
        {32813, "menu-file"},   {32812, "menu-file"},      {57665, "menu-file"},
        {59392, "menu-view"},   {59393, "menu-view"},      {32774, "menu-view"},
        {32786, "delete"},      {32787, "delete"},         {32771, "info-pane"},
        {32803, "info-pane"},   {32788, "info-pane"},      {32789, "info-pane"},
        {32792, "viewer"},      {32791, "connection-log"}, {32811, "report"},
        {32837, "mail-list"},   {32838, "mail-list"},      {32805, "accounts"},
        {32785, "checking"},    {32839, "checking"},       {32810, "checking"},
        {32773, "delete"},      {32835, "reload-lines"},   {32808, "options-general"},
        {32814, "tray"},        {57664, "about"},          {57667, "help-window"},
        {57669, "help-window"}, {57670, "help-window"},    {57671, "help-window"},
    };
    return kTopics;
}

bool IsAccountCommand(int id) {
    return id >= 32815 && id <= 32834; // enable / check one account
}

} // namespace

QString TopicForWidget(const QWidget* widget) {
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        const auto found = WindowTopics().find(w->objectName().toStdString());
        if (found != WindowTopics().end()) {
            return QString::fromLatin1(found->second);
        }
    }
    return QString();
}

QString TopicForCommand(int id) {
    if (IsAccountCommand(id)) {
        return QStringLiteral("menu-account");
    }
    const auto found = CommandTopics().find(id);
    return found == CommandTopics().end() ? QString() : QString::fromLatin1(found->second);
}

QStringList KnownTopics() {
    QStringList topics{QString::fromLatin1(kFirstTopic), QStringLiteral("menu-account")};
    for (const auto& [name, topic] : WindowTopics()) {
        topics.append(QString::fromLatin1(topic));
    }
    for (const auto& [id, topic] : CommandTopics()) {
        topics.append(QString::fromLatin1(topic));
    }
    topics.removeDuplicates();
    return topics;
}

} // namespace tolvane
