#include "app/help/HelpCommands.h"

#include "app/GuiTexts.h"
#include "app/help/HelpTopics.h"
#include "app/help/HelpWindow.h"
#include "app/widgets/QtText.h"
#include "platform/MessageHost.h"
#include "platform/Texts.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>

namespace tolvane {

using gui::ID_CONTEXT_HELP;
using gui::ID_DEFAULT_HELP;
using gui::ID_HELP;
using gui::ID_HELP_FINDER;

CHelpCommands::CHelpCommands(std::filesystem::path folder) : m_folder(std::move(folder)) {
    qApp->installEventFilter(this);
}

CHelpCommands::~CHelpCommands() {
    LeaveContextHelp();
    delete m_pWindow.data();
}

void CHelpCommands::Run(int id) {
    switch (id) {
    case ID_HELP_FINDER:
        ShowHelp(QString::fromLatin1(kFirstTopic), true);
        break;
    case ID_DEFAULT_HELP:
        ShowHelp(QString::fromLatin1(kFirstTopic));
        break;
    case ID_HELP:
        ShowHelpOn(CurrentTopic());
        break;
    case ID_CONTEXT_HELP:
        EnterContextHelp();
        break;
    default:
        break;
    }
}

QString CHelpCommands::TopicForAction(const QAction* action) {
    if (!action) {
        return QString();
    }
    bool bOk = false;
    const int id = action->data().toInt(&bOk);
    return bOk ? TopicForCommand(id) : QString();
}

QString CHelpCommands::CurrentTopic() const {
    QWidget* focus = QApplication::focusWidget();
    return TopicFor(focus ? focus : QApplication::activeWindow());
}

QString CHelpCommands::TopicFor(const QWidget* target) {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        QString topic = TopicForAction(menu->activeAction());
        if (!topic.isEmpty()) {
            return topic;
        }
    }
    QString topic = TopicForWidget(target);
    return topic.isEmpty() ? QString::fromLatin1(kFirstTopic) : topic;
}

void CHelpCommands::ShowHelpOn(const QString& topic) {
    // The menu the highlight was in goes, as the help comes up.
    while (QWidget* popup = QApplication::activePopupWidget()) {
        if (!popup->close()) {
            break;
        }
    }
    ShowHelp(topic);
}

bool CHelpCommands::ShowHelp(const QString& topic, bool bFocusSearch) {
    if (!m_pDocument) {
        auto document = std::make_unique<CHelpDocument>();
        if (!document->Load(m_folder)) {
            ShowMessage(SjisFormat(gui::txt::kHelpMissing, ToCp932(document->Error()).c_str()),
                        MsgButtons::Ok, MsgIcon::Stop);
            return false;
        }
        m_pDocument = std::move(document);
    }
    if (!m_pWindow) {
        m_pWindow = new CHelpWindow(*m_pDocument);
    }
    m_pWindow->Open(topic, bFocusSearch);
    return true;
}

void CHelpCommands::EnterContextHelp() {
    if (!m_bContextHelp) {
        m_bContextHelp = true;
        QApplication::setOverrideCursor(Qt::WhatsThisCursor);
    }
}

void CHelpCommands::LeaveContextHelp() {
    if (m_bContextHelp) {
        m_bContextHelp = false;
        QApplication::restoreOverrideCursor();
    }
}

QString CHelpCommands::TopicAt(const QPoint& globalPos) const {
    QWidget* widget = QApplication::widgetAt(globalPos);
    if (auto* menu = qobject_cast<QMenu*>(widget)) {
        QString topic = TopicForAction(menu->actionAt(menu->mapFromGlobal(globalPos)));
        if (!topic.isEmpty()) {
            return topic;
        }
    }
    if (auto* button = qobject_cast<QToolButton*>(widget)) {
        QString topic = TopicForAction(button->defaultAction());
        if (!topic.isEmpty()) {
            return topic;
        }
    }
    QString topic = TopicForWidget(widget);
    return topic.isEmpty() ? QString::fromLatin1(kFirstTopic) : topic;
}

bool CHelpCommands::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType()) {
        return false;
    }
    if (m_bContextHelp) {
        if (event->type() == QEvent::MouseButtonPress) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            LeaveContextHelp();
            ShowHelp(TopicAt(mouse->globalPosition().toPoint()));
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease ||
            event->type() == QEvent::MouseButtonDblClick) {
            return true;
        }
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            LeaveContextHelp();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            // The page of the window the key was pressed in.
            ShowHelpOn(TopicFor(static_cast<QWidget*>(watched)));
            return true;
        }
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::ShiftModifier) {
            Run(ID_CONTEXT_HELP);
            return true;
        }
    }
    return false;
}

} // namespace tolvane
