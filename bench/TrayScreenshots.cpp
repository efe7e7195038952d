#include "bench/TrayScreenshots.h"

#include "app/TrayIconImage.h"
#include "app/widgets/QtText.h"
#include "platform/AtomicFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <iterator>
#include <string_view>

namespace tolvane {

namespace {

struct Row {
    const char* nameUtf8;
    gui::TrayLook look;
};

constexpr int kSizes[] = {22, 32, 48};
constexpr int kCell = 64;
constexpr int kLabelWidth = 220;
const QColor kPanels[] = {QColor(239, 240, 241), QColor(35, 38, 41)};

} // namespace

bool SaveTrayScreenshot(const QString& path) {
    const Row rows[] = {
        {"メールなし", {}},
        {"受信メールあり（5通）", {.nMails = 5}},
        {"新着メールあり（2通）", {.nMails = 2, .bNew = true}},
        {"確認できないアカウントあり", {.nMails = 5, .bFailed = true}},
        {"受信確認中", {.nMails = 5, .bChecking = true}},
    };
    const int columns = static_cast<int>(std::size(kSizes) * std::size(kPanels));
    QImage picture(kLabelWidth + columns * kCell, static_cast<int>(std::size(rows)) * kCell,
                   QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    QFont font;
    font.setPixelSize(15);
    painter.setFont(font);
    int y = 0;
    for (const Row& row : rows) {
        painter.setPen(Qt::black);
        painter.drawText(QRect(12, y, kLabelWidth - 12, kCell), Qt::AlignVCenter,
                         QString::fromUtf8(row.nameUtf8));
        int x = kLabelWidth;
        for (const QColor& panel : kPanels) {
            for (const int size : kSizes) {
                painter.fillRect(QRect(x, y, kCell, kCell), panel);
                // Whole pixels, as a panel places its icons.
                painter.drawImage(QPoint(x + (kCell - size) / 2, y + (kCell - size) / 2),
                                  gui::TrayIconImage(row.look, size));
                x += kCell;
            }
        }
        y += kCell;
    }
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    const bool ok =
        buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG") &&
        WriteFileAtomic(ToPath(path),
                        std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                        0644);
    if (!ok) {
        std::fprintf(stderr, "tool_screenshots: cannot write %s\n", path.toLocal8Bit().constData());
        return false;
    }
    std::printf("%s\n", path.toLocal8Bit().constData());
    return true;
}

} // namespace tolvane
