#include "app/ViewerDialog.h"

#include "app/GuiTexts.h"
#include "app/Resources.h"
#include "app/widgets/LayoutWrites.h"
#include "app/widgets/QtText.h"
#include "app/widgets/ScreenPlacement.h"
#include "platform/Profile.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tolvane::gui {

namespace {

constexpr char kSection[] = "Viewer";
constexpr int kMargin = 5;

} // namespace

CViewerDialog::CViewerDialog(QWidget* owner, const QString& caption, const std::string& textCp932)
    : QDialog(owner) {
    EnsureResources();
    setObjectName(QStringLiteral("viewer"));
    setWindowTitle(caption);
    setWindowIcon(QIcon(QStringLiteral(":/icons/viewer.svg")));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setSizeGripEnabled(true);

    m_pText = new QPlainTextEdit(this);
    m_pText->setObjectName(QStringLiteral("viewerText"));
    m_pText->setAccessibleName(caption);
    m_pText->setReadOnly(true);
    m_pText->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_pText->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_pText->setPlainText(FromCp932Text(textCp932, kTextLimit));
    m_pText->installEventFilter(this);

    m_pClose = new QPushButton(Tr(txt::kViewerClose), this);
    m_pClose->setObjectName(QStringLiteral("viewerClose"));
    m_pClose->setDefault(true);
    connect(m_pClose, &QPushButton::clicked, this, &QDialog::accept);
    m_pFont = new QPushButton(Tr(txt::kViewerFont), this);
    m_pFont->setObjectName(QStringLiteral("viewerFont"));
    connect(m_pFont, &QPushButton::clicked, this, &CViewerDialog::OnFont);
    setTabOrder(m_pText, m_pClose);
    setTabOrder(m_pClose, m_pFont);

    m_font.Load(kSection);
    m_pText->setFont(m_font.Font());

    const int left = GetProfileInt(kSection, "Left", 0);
    const int top = GetProfileInt(kSection, "Top", 0);
    const int right = GetProfileInt(kSection, "Right", 500);
    const int bottom = GetProfileInt(kSection, "Bottom", 350);
    const int minimum = 2 * m_pClose->sizeHint().width();
    resize(std::max(right - left, minimum), std::max(bottom - top, minimum / 2));
    m_pText->setFocus();
}

CViewerDialog::~CViewerDialog() {
    SaveSettings();
}

void CViewerDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred over the owner (or the screen when the owner is hidden in the tray).
    const QWidget* owner = parentWidget();
    QRect area;
    if (owner && owner->isVisible() && !owner->isMinimized()) {
        area = owner->frameGeometry();
    } else {
        area = PrimaryFreeArea();
    }
    if (area.isValid()) {
        QRect frame = frameGeometry();
        frame.moveCenter(area.center());
        move(frame.topLeft());
    }
}

void CViewerDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayOut();
}

void CViewerDialog::LayOut() {
    const int width = this->width();
    const int height = this->height();
    const QSize hint = m_pClose->sizeHint();
    int buttonWidth = std::max(hint.width(), m_pFont->sizeHint().width());
    const int buttonHeight = hint.height();
    int gap = (width - 2 * buttonWidth) / 3;
    if (gap <= 0) {
        // Too narrow for the formula: the two buttons share the width.
        buttonWidth = std::max(1, width / 2);
        gap = 0;
    }
    const int y = height - buttonHeight - kMargin;
    m_pClose->setGeometry(gap, y, buttonWidth, buttonHeight);
    m_pFont->setGeometry(buttonWidth + 2 * gap, y, buttonWidth, buttonHeight);
    m_pText->setGeometry(kMargin, kMargin, std::max(0, width - 2 * kMargin),
                         std::max(0, height - buttonHeight - 3 * kMargin));
}

bool CViewerDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pText && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            return true; // Enter belongs to the text, never to the Close button
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CViewerDialog::OnFont() {
    if (m_font.Choose(this)) {
        m_pText->setFont(m_font.Font());
    }
}

void CViewerDialog::done(int result) {
    SaveSettings();
    QDialog::done(result);
}

void CViewerDialog::SaveSettings() {
    if (m_bSaved) {
        return;
    }
    m_bSaved = true;
    CLayoutBatch layout; // one settings write for the whole window
    m_font.Save(kSection);
    const QRect normal = isMaximized() ? normalGeometry() : geometry();
    if (!normal.isValid()) {
        ShowLayoutWriteFailed();
        return;
    }
    WriteLayoutInt(kSection, "Left", normal.left());
    WriteLayoutInt(kSection, "Top", normal.top());
    WriteLayoutInt(kSection, "Right", normal.left() + normal.width());
    WriteLayoutInt(kSection, "Bottom", normal.top() + normal.height());
}

} // namespace tolvane::gui
