#include "setup/QtPrompter.h"

#include "setup/SetupTexts.h"

#include <QAbstractButton>
#include <QEventLoop>
#include <QMessageBox>
#include <QString>

#include <cstdio>
#include <thread>

namespace tolvane::setup {

namespace {

QMessageBox::Icon QtIcon(MsgIcon icon) {
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

// The setup program asks only OK and OK / Cancel questions.
int ShowBox(const char* textUtf8, const char* captionUtf8, MsgButtons buttons, MsgIcon icon) {
    const bool withCancel = buttons != MsgButtons::Ok;
    QMessageBox box(QtIcon(icon), QString::fromUtf8(captionUtf8), QString::fromUtf8(textUtf8),
                    withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QString::fromUtf8(txt::kOk));
    if (withCancel) {
        box.button(QMessageBox::Cancel)->setText(QString::fromUtf8(txt::kCancel));
    }
    return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
}

} // namespace

int CQtPrompter::Show(const char* textUtf8, const char* captionUtf8, MsgButtons buttons,
                      MsgIcon icon) {
    m_shown.push_back({textUtf8, captionUtf8, buttons, icon});
    if (!m_bScripted) {
        return ShowBox(textUtf8, captionUtf8, buttons, icon);
    }
    const int answer = TakeAnswer();
    if (m_bEcho) {
        std::fprintf(stderr, "TolvaneSetup: [%s] %s\n", captionUtf8, textUtf8);
    }
    return buttons == MsgButtons::Ok ? IDOK : answer;
}

void CQtPrompter::RunBlocking(const std::function<void()>& work) {
    QEventLoop loop;
    std::thread worker([&work, &loop] {
        work();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(); // the quit is queued: it cannot come before the loop runs
    worker.join();
}

void CQtPrompter::QueueAnswer(int answer) {
    m_bScripted = true;
    m_answers.push_back(answer);
}

bool CQtPrompter::QueueAnswers(std::string_view list) {
    std::deque<int> answers;
    while (!list.empty()) {
        const size_t comma = list.find(',');
        const std::string_view word = list.substr(0, comma);
        if (word == "ok") {
            answers.push_back(IDOK);
        } else if (word == "cancel") {
            answers.push_back(IDCANCEL);
        } else {
            return false;
        }
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    m_bScripted = true;
    m_answers.insert(m_answers.end(), answers.begin(), answers.end());
    return true;
}

int CQtPrompter::TakeAnswer() {
    if (m_answers.empty()) {
        return IDCANCEL;
    }
    const int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

} // namespace tolvane::setup
