// CMessageBoxHost: the message-box hook of Tolvane, installed as the process's message
// interface (platform/MessageHost.h) for its lifetime.
//
// - Every box has the caption "トルヴェイン". Without an icon named by the caller, OK,
//   OK/Cancel, Yes/No and Yes/No/Cancel boxes get the exclamation icon, the others none.
// - The box belongs to the active modal window, else to the main window.
// - On the user-interface thread the box runs modally and the button pressed is returned.
// - From another thread (the worker), nothing ever blocks the user-interface thread: a box
//   with only OK is queued and the call returns OK at once; a box that asks is queued and
//   the caller waits on a promise that the user-interface thread fulfils. After
//   CloseQuestions every pending and later question from another thread is answered "not
//   OK" (Cancel, No or Abort) at once, so that the worker can be joined.
// - Tests set an answerer that takes the place of the box: it receives the request as the
//   box would show it, on the user-interface thread.
#pragma once

#include "platform/MessageHost.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace tolvane::gui {

struct MessageBoxRequest {
    QString caption;
    QString text;
    MsgButtons buttons = MsgButtons::Ok;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

class CMessageBoxHost final : public QObject, public IMessageHost {
    Q_OBJECT
public:
    using Answerer = std::function<int(const MessageBoxRequest& request)>;

    CMessageBoxHost();
    ~CMessageBoxHost() override; // answers what is still pending, restores the old host

    int ShowMessage(const std::string& textCp932, MsgButtons buttons, MsgIcon icon) override;

    void SetMainWindow(QWidget* window) { m_pMainWindow = window; }
    void CloseQuestions();

    static void SetAnswerer(Answerer answerer);
    // The request a box with these arguments becomes (caption, text and the icon rule).
    static MessageBoxRequest MakeRequest(const std::string& textCp932, MsgButtons buttons,
                                         MsgIcon icon);
    // The answer that means "not OK" for a set of buttons.
    static int NotOkAnswer(MsgButtons buttons);

private:
    struct Pending {
        MsgButtons buttons = MsgButtons::OkCancel;
        std::mutex lock;
        std::condition_variable answered;
        std::optional<int> answer;
        void Fulfil(int value);
        int Wait();
    };

    int RunBox(const MessageBoxRequest& request);
    int AskFromOtherThread(const MessageBoxRequest& request);

    IMessageHost* m_pPrevious = nullptr;
    QPointer<QWidget> m_pMainWindow;
    std::mutex m_lock; // guards m_pending and m_bClosed
    std::vector<std::shared_ptr<Pending>> m_pending;
    bool m_bClosed = false;
};

} // namespace tolvane::gui
