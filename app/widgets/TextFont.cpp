#include "app/widgets/TextFont.h"

#include "app/widgets/Choosers.h"
#include "app/widgets/LayoutWrites.h"
#include "app/widgets/QtText.h"
#include "platform/Profile.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace tolvane::gui {

namespace {

constexpr int32_t kDefaultPoints = 14;
constexpr char kDefaultFace[] = "Terminal";

bool HasFamily(const QString& family) {
    const QStringList families = QFontDatabase::families();
    return families.contains(family, Qt::CaseInsensitive);
}

} // namespace

int CTextFont::PlainPixelSize(int32_t tenths) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return std::max(1, static_cast<int>(std::lround(tenths / 10.0 * dpi / 72.0)));
}

void CTextFont::Load(const char* section) {
    m_nPointSize = GetProfileInt(section, "Fontsize", kDefaultPoints) * 10;
    m_strFaceName = GetProfileString(section, "Fontname", kDefaultFace);
    const QString face = FromCp932(m_strFaceName);
    m_font = HasFamily(face) ? QFont(face) : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_font.setStyleHint(QFont::TypeWriter);
    // One pixel taller than the plain size: the height the panes have always had.
    m_font.setPixelSize(PlainPixelSize(std::max<int32_t>(m_nPointSize, 10)) + 1);
}

bool CTextFont::Choose(QWidget* parent) {
    const std::optional<QFont> chosen = ChooseFont(parent, m_font);
    if (!chosen) {
        return false;
    }
    m_font = *chosen;
    const qreal points =
        chosen->pointSizeF() > 0 ? chosen->pointSizeF() : QFontInfo(*chosen).pointSizeF();
    m_nPointSize = static_cast<int32_t>(std::lround(points * 10));
    m_strFaceName = ToCp932(chosen->family());
    return true;
}

void CTextFont::Save(const char* section) const {
    WriteLayoutInt(section, "Fontsize", m_nPointSize / 10);
    WriteLayoutString(section, "Fontname", m_strFaceName);
}

} // namespace tolvane::gui
