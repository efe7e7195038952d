// CUpDown: the up-down arrows attached to a number edit (the "buddy"), as the dialogs'
// spin fields use them.
//
// - The position lives in the buddy's text: a step reads the text by the decimal rule,
//   holds it within the range, adds the step, holds it again and writes the result as
//   plain decimal digits ("%d", never thousands separators: the dialogs read the text back
//   by the decimal rule).
// - The arrows step while held; after AccelerationSeconds() of holding each step is 10
//   instead of 1 (SetAcceleration changes both numbers for one control). Up and Down pressed in the
//   buddy step by 1, so the field is usable without the mouse; the arrows themselves take no focus.
// - SetPos writes the position into the buddy at once; Pos reads it back (held in range).
// - The buddy must outlive the up-down, or be destroyed with the same parent.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <cstdint>

class QToolButton;

namespace tolvane {

class CNumberEdit;

class CUpDown : public QWidget {
    Q_OBJECT

public:
    explicit CUpDown(CNumberEdit* pBuddy, QWidget* parent = nullptr);

    void SetRange(int32_t nLower, int32_t nUpper);
    void SetPos(int32_t nPos);
    int32_t Pos() const;
    // Moves by nDelta (held in range) and writes the result into the buddy.
    void Step(int32_t nDelta);

    // After nSeconds of holding, each step of the arrows is nStep.
    void SetAcceleration(int64_t nSeconds, int32_t nStep);

    // The size of one step after the arrow has been held for heldMs milliseconds.
    static int32_t StepAfter(int64_t heldMs, int64_t nSeconds = AccelerationSeconds(),
                             int32_t nStep = 10);
    static constexpr int64_t AccelerationSeconds() { return 3; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* MakeArrow(Qt::ArrowType arrow, const char* objectName, const char* nameUtf8);
    void ArrowStep(int32_t nDirection);

    CNumberEdit* m_pBuddy = nullptr;
    int32_t m_nLower = 0;
    int32_t m_nUpper = 100;
    int64_t m_nAccelSeconds = AccelerationSeconds();
    int32_t m_nAccelStep = 10;
    QElapsedTimer m_held;
};

} // namespace tolvane
