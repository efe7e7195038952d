#include "app/InformationView.h"

#include "app/GuiTexts.h"
#include "app/widgets/QtText.h"

#include <QScrollBar>
#include <QTextCursor>

namespace tolvane::gui {

namespace {
constexpr char kSection[] = "InfoviewFont";
} // namespace

CInformationView::CInformationView(QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(QStringLiteral("informationView"));
    setAccessibleName(Tr(txt::kAccessibleInfoPane));
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QPlainTextEdit::NoWrap); // both scroll bars, as a log wants
    setUndoRedoEnabled(false);
}

void CInformationView::InitialUpdate() {
    m_font.Load(kSection);
    setFont(m_font.Font());
}

void CInformationView::SaveSettings() const {
    m_font.Save(kSection);
}

void CInformationView::ChooseTextFont() {
    if (m_font.Choose(this)) {
        setFont(m_font.Font());
    }
}

void CInformationView::SetText(const std::string& textCp932) {
    setPlainText(FromCp932Text(textCp932, kTextLimit));
}

void CInformationView::ClearText() {
    clear();
}

void CInformationView::FollowLog(CConnectionLog& log) {
    const uint64_t generation = ++m_nLogGeneration;
    // Runs under the log's lock on the appending thread: it only queues.
    auto sink = [this, generation](const std::string& textCp932, bool bRestart) {
        QMetaObject::invokeMethod(
            this,
            [this, generation, textCp932, bRestart] {
                ShowLogText(generation, textCp932, bRestart);
            },
            Qt::QueuedConnection);
    };
    const std::string text = log.FollowLog(sink, kTextLimit);
    // A log longer than the pane (it grew while the pane showed mails): its latest part.
    const size_t skip = text.size() > kTextLimit ? text.size() - kTextLimit : 0;
    size_t start = 0;
    while (start < skip) {
        start += IsCp932LeadByte(static_cast<unsigned char>(text[start])) ? 2 : 1;
    }
    clear();
    AppendAtEnd(
        FromCp932Text(std::string_view(text).substr(std::min(start, text.size())), kTextLimit));
}

void CInformationView::StopFollowingLog(CConnectionLog& log) {
    log.SetViewSink(nullptr);
    ++m_nLogGeneration;
}

void CInformationView::ShowLogText(uint64_t generation, const std::string& textCp932,
                                   bool bRestart) {
    if (generation != m_nLogGeneration) {
        return; // queued before the pane left log mode or followed the log anew
    }
    if (bRestart) {
        clear();
    }
    AppendAtEnd(FromCp932Text(textCp932, kTextLimit));
}

void CInformationView::AppendAtEnd(const QString& text) {
    QTextCursor cursor = textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
    setTextCursor(cursor);
    ensureCursorVisible();
}

} // namespace tolvane::gui
