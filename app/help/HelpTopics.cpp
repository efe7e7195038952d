#include "app/help/HelpTopics.h"

#include "app/CommandIds.h"

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
    using namespace gui;
    static const std::map<int, const char*> kTopics = {
        {ID_SAVE_ALL, "menu-file"},
        {ID_SAVE_SELECTED, "menu-file"},
        {ID_APP_EXIT, "menu-file"},
        {ID_VIEW_TOOLBAR, "menu-view"},
        {ID_VIEW_STATUS_BAR, "menu-view"},
        {ID_SELECT_ALL, "menu-view"},
        {ID_MARK_SELECTED, "delete"},
        {ID_UNMARK_SELECTED, "delete"},
        {ID_VIEW_INFO, "info-pane"},
        {ID_INFO_FONT, "info-pane"},
        {ID_INFO_CONTENT, "info-pane"},
        {ID_INFO_LOG, "info-pane"},
        {ID_VIEWER_MAIL, "viewer"},
        {ID_VIEWER_LOG, "connection-log"},
        {ID_REPORT, "report"},
        {ID_AUTO_WIDTH, "mail-list"},
        {ID_RESET_ORDER, "mail-list"},
        {ID_ACCOUNTS, "accounts"},
        {ID_CHECK_ALL, "checking"},
        {ID_CANCEL_CHECK, "checking"},
        {ID_AUTO_CHECK, "checking"},
        {ID_DELETE_MARKED, "delete"},
        {ID_RELOAD_SELECTED, "reload-lines"},
        {ID_OPTIONS, "options-general"},
        {ID_SHOW_HIDE, "tray"},
        {ID_APP_ABOUT, "about"},
        {ID_HELP_FINDER, "help-window"},
        {ID_CONTEXT_HELP, "help-window"},
        {ID_HELP, "help-window"},
        {ID_DEFAULT_HELP, "help-window"},
    };
    return kTopics;
}

bool IsAccountCommand(int id) {
    return gui::IsToggleAccountId(id) || gui::IsCheckAccountId(id);
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
