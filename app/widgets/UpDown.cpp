#include "app/widgets/UpDown.h"

#include "app/widgets/DecimalRule.h"
#include "app/widgets/NumberEdit.h"
#include "app/widgets/QtText.h"
#include "app/widgets/WidgetTexts.h"

#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace tolvane {

CUpDown::CUpDown(CNumberEdit* pBuddy, QWidget* parent) : QWidget(parent), m_pBuddy(pBuddy) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    QToolButton* up = MakeArrow(Qt::UpArrow, "up", gui::txt::kStepUpName);
    QToolButton* down = MakeArrow(Qt::DownArrow, "down", gui::txt::kStepDownName);
    layout->addWidget(up);
    layout->addWidget(down);
    connect(up, &QToolButton::pressed, this, [this] { m_held.start(); });
    connect(down, &QToolButton::pressed, this, [this] { m_held.start(); });
    // clicked() comes once for a short click and again for every auto-repeat while held.
    connect(up, &QToolButton::clicked, this, [this] { ArrowStep(1); });
    connect(down, &QToolButton::clicked, this, [this] { ArrowStep(-1); });
    setFixedHeight(m_pBuddy->sizeHint().height());
    m_pBuddy->installEventFilter(this);
}

QToolButton* CUpDown::MakeArrow(Qt::ArrowType arrow, const char* objectName, const char* nameUtf8) {
    auto* button = new QToolButton(this);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAccessibleName(Tr(nameUtf8));
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    button->setFixedWidth(m_pBuddy->sizeHint().height() * 3 / 4);
    return button;
}

void CUpDown::SetRange(int32_t nLower, int32_t nUpper) {
    m_nLower = std::min(nLower, nUpper);
    m_nUpper = std::max(nLower, nUpper);
}

void CUpDown::SetPos(int32_t nPos) {
    m_pBuddy->setText(QString::number(std::clamp(nPos, m_nLower, m_nUpper)));
}

int32_t CUpDown::Pos() const {
    return std::clamp(DecimalValue(m_pBuddy->text()), m_nLower, m_nUpper);
}

void CUpDown::Step(int32_t nDelta) {
    const int64_t next = static_cast<int64_t>(Pos()) + nDelta;
    SetPos(static_cast<int32_t>(std::clamp<int64_t>(next, m_nLower, m_nUpper)));
    m_pBuddy->selectAll();
}

void CUpDown::SetAcceleration(int64_t nSeconds, int32_t nStep) {
    m_nAccelSeconds = nSeconds;
    m_nAccelStep = nStep;
}

int32_t CUpDown::StepAfter(int64_t heldMs, int64_t nSeconds, int32_t nStep) {
    return heldMs >= nSeconds * 1000 ? nStep : 1;
}

void CUpDown::ArrowStep(int32_t nDirection) {
    if (!m_pBuddy->isEnabled()) {
        return;
    }
    const int64_t heldMs = m_held.isValid() ? m_held.elapsed() : 0;
    Step(nDirection * StepAfter(heldMs, m_nAccelSeconds, m_nAccelStep));
}

bool CUpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pBuddy && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier &&
            (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            Step(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tolvane
