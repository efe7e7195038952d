// CInformationView: the lower pane of the main window: a read-only, selectable text that
// shows either the focused mail's lines (content mode, written by the mail list) or the
// connection log as it grows (log mode, written by the document).
//
// - Its font lives in the InfoviewFont section (CTextFont: one pixel taller at start,
//   exactly as chosen after the font dialog, whole points stored). SaveSettings writes it;
//   the frame calls it when the window closes.
// - It holds at most kTextLimit bytes of CP932 text. In log mode the connection log
//   applies that limit (CConnectionLog::FollowLog): a text that would overflow the pane
//   starts the pane, and the log text, again with that text.
// - Texts of the log arrive queued from whichever thread appended them. A text that was
//   queued before the pane left log mode (or followed the log anew) is dropped, so each
//   log text shows once and never in content mode.
#pragma once

#include "app/widgets/TextFont.h"
#include "engine/ConnectionLog.h"

#include <QPlainTextEdit>

#include <cstdint>
#include <string>

namespace tolvane::gui {

class CInformationView final : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr size_t kTextLimit = 0xFFFFF; // 1,048,575

    explicit CInformationView(QWidget* parent = nullptr);

    void InitialUpdate();
    void SaveSettings() const;
    // The font dialog (ID_INFO_FONT).
    void ChooseTextFont();
    const CTextFont& TextFont() const { return m_font; }

    // A CP932 text with CR LF line ends as the whole text (at most kTextLimit bytes).
    void SetText(const std::string& textCp932);
    void ClearText();

    // Log mode: shows the log so far and follows it; StopFollowingLog ends that.
    void FollowLog(CConnectionLog& log);
    void StopFollowingLog(CConnectionLog& log);

private:
    void ShowLogText(uint64_t generation, const std::string& textCp932, bool bRestart);
    void AppendAtEnd(const QString& text);

    CTextFont m_font;
    uint64_t m_nLogGeneration = 0; // which following the queued texts belong to
};

} // namespace tolvane::gui
