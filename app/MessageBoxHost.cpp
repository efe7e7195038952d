#include "app/MessageBoxHost.h"

#include "app/GuiTexts.h"
#include "app/widgets/QtText.h"

#include <QApplication>
#include <QPushButton>
#include <QThread>

#include <algorithm>

namespace tolvane::gui {

namespace {

CMessageBoxHost::Answerer& AnswererHook() {
    static CMessageBoxHost::Answerer answerer;
    return answerer;
}

QMessageBox::StandardButtons ButtonsOf(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::Ok:
        return QMessageBox::Ok;
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MsgButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

int ResultOf(QMessageBox::StandardButton button, MsgButtons buttons) {
    switch (button) {
    case QMessageBox::Ok:
        return IDOK;
    case QMessageBox::Cancel:
        return IDCANCEL;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Abort:
        return IDABORT;
    case QMessageBox::Retry:
        return IDRETRY;
    case QMessageBox::Ignore:
        return IDIGNORE;
    default:
        // Closed without a button (only possible where Escape is allowed).
        return buttons == MsgButtons::Ok ? IDOK : CMessageBoxHost::NotOkAnswer(buttons);
    }
}

QMessageBox::Icon IconOf(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Stop:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Default:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

void CMessageBoxHost::Pending::Fulfil(int value) {
    {
        std::lock_guard guard(lock);
        if (answer) {
            return; // answered already (closing came first)
        }
        answer = value;
    }
    answered.notify_all();
}

int CMessageBoxHost::Pending::Wait() {
    std::unique_lock guard(lock);
    answered.wait(guard, [this] { return answer.has_value(); });
    return *answer;
}

CMessageBoxHost::CMessageBoxHost() {
    m_pPrevious = SetMessageHost(this);
}

CMessageBoxHost::~CMessageBoxHost() {
    CloseQuestions();
    SetMessageHost(m_pPrevious);
}

void CMessageBoxHost::SetAnswerer(Answerer answerer) {
    AnswererHook() = std::move(answerer);
}

int CMessageBoxHost::NotOkAnswer(MsgButtons buttons) {
    switch (buttons) {
    case MsgButtons::YesNo:
        return IDNO;
    case MsgButtons::AbortRetryIgnore:
        return IDABORT;
    case MsgButtons::Ok:
    case MsgButtons::OkCancel:
    case MsgButtons::YesNoCancel:
    case MsgButtons::RetryCancel:
        break;
    }
    return IDCANCEL;
}

MessageBoxRequest CMessageBoxHost::MakeRequest(const std::string& textCp932, MsgButtons buttons,
                                               MsgIcon icon) {
    MessageBoxRequest request;
    request.caption = Tr(txt::kMessageCaption);
    request.text = FromCp932(textCp932);
    request.buttons = buttons;
    request.icon = IconOf(icon == MsgIcon::Default ? DefaultIconFor(buttons) : icon);
    return request;
}

int CMessageBoxHost::ShowMessage(const std::string& textCp932, MsgButtons buttons, MsgIcon icon) {
    const MessageBoxRequest request = MakeRequest(textCp932, buttons, icon);
    if (QThread::currentThread() == thread()) {
        return RunBox(request);
    }
    if (buttons == MsgButtons::Ok) {
        // Nothing to answer: the worker goes on while the box is up.
        QMetaObject::invokeMethod(
            this, [this, request] { RunBox(request); }, Qt::QueuedConnection);
        return IDOK;
    }
    return AskFromOtherThread(request);
}

int CMessageBoxHost::AskFromOtherThread(const MessageBoxRequest& request) {
    auto pending = std::make_shared<Pending>();
    pending->buttons = request.buttons;
    {
        std::lock_guard guard(m_lock);
        if (m_bClosed) {
            return NotOkAnswer(request.buttons);
        }
        m_pending.push_back(pending);
    }
    QMetaObject::invokeMethod(
        this, [this, request, pending] { pending->Fulfil(RunBox(request)); }, Qt::QueuedConnection);
    const int answer = pending->Wait();
    std::lock_guard guard(m_lock);
    m_pending.erase(std::remove(m_pending.begin(), m_pending.end(), pending), m_pending.end());
    return answer;
}

void CMessageBoxHost::CloseQuestions() {
    std::vector<std::shared_ptr<Pending>> pending;
    {
        std::lock_guard guard(m_lock);
        m_bClosed = true;
        pending = m_pending;
    }
    for (const auto& question : pending) {
        question->Fulfil(NotOkAnswer(question->buttons));
    }
}

int CMessageBoxHost::RunBox(const MessageBoxRequest& request) {
    if (AnswererHook()) {
        return AnswererHook()(request);
    }
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner) {
        owner = m_pMainWindow;
    }
    QMessageBox box(request.icon, request.caption, request.text, ButtonsOf(request.buttons), owner);
    box.setTextFormat(Qt::PlainText);
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    return ResultOf(pressed, request.buttons);
}

} // namespace tolvane::gui
