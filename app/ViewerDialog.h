// CViewerDialog: a resizable modal window that shows a long text (a mail's lines, the
// whole connection log) read-only, with a font of the user's choice. Its size and font
// live in the Viewer section (Left/Top/Right/Bottom, default 0,0,500,350; Fontsize and
// Fontname as CTextFont keeps them), written when the window closes.
//
// - At most kTextLimit bytes of the text are shown.
// - It opens centred over its owner (the stored position is not used, only the size).
// - Layout, W and H the client size, bw and bh the Close button's size: the buttons at
//   y = H - bh - 5, Close at x = g and Font at x = bw + 2g with g = (W - 2bw) / 3; the
//   text at (5, 5) sized W - 10 by H - bh - 15. Where the window is narrower than two
//   buttons, the buttons share its width.
// - Enter in the text does not close the window; Escape, the Close button and the close
//   box do.
#pragma once

#include "app/widgets/TextFont.h"

#include <QDialog>

#include <string>

class QPlainTextEdit;
class QPushButton;

namespace tolvane::gui {

class CViewerDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr size_t kTextLimit = 0xFFFFF;

    CViewerDialog(QWidget* owner, const QString& caption, const std::string& textCp932);
    ~CViewerDialog() override;

    QPlainTextEdit* TextBox() const { return m_pText; }
    const CTextFont& TextFont() const { return m_font; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    void LayOut();
    void OnFont();
    void SaveSettings();

    QPlainTextEdit* m_pText = nullptr;
    QPushButton* m_pClose = nullptr;
    QPushButton* m_pFont = nullptr;
    CTextFont m_font;
    bool m_bSaved = false;
};

} // namespace tolvane::gui
