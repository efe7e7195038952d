// CTextFont: the font of a text pane (the information pane, the viewer), kept in a
// settings section as Fontsize (whole points, default 14) and Fontname (the face as
// stored, CP932, default "Terminal").
//
// - Load makes the font one pixel taller than a plain font of the stored size, as the
//   panes have always shown it; a chosen font is used exactly (no enlargement).
// - A face the system lacks keeps its stored name (it is written back unchanged) and is
//   shown in the desktop's fixed-width font; Japanese glyphs come from the CJK font.
// - Save writes Fontsize (tenths / 10, cut to whole points) and Fontname; each failed
//   write shows the write-failure message once.
#pragma once

#include <QFont>

#include <cstdint>
#include <string>

class QWidget;

namespace tolvane::gui {

class CTextFont {
public:
    void Load(const char* section);
    // The font dialog preset to the current font; true when the user chose one.
    bool Choose(QWidget* parent);
    void Save(const char* section) const;

    const QFont& Font() const { return m_font; }
    // The pixel height of a plain font of that many tenths of a point on this screen.
    static int PlainPixelSize(int32_t tenths);

    int32_t m_nPointSize = 140;             // tenths of a point
    std::string m_strFaceName = "Terminal"; // CP932, as stored or chosen

private:
    QFont m_font;
};

} // namespace tolvane::gui
