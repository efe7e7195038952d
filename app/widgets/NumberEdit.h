// CNumberEdit: the single-line edit of the dialogs' number fields.
//
// Typed characters reach the edit only when they are the ASCII digits 0-9 or control
// characters (below 32, and 127), so Backspace and Delete keep working, and so do the
// Ctrl+letter shortcuts whatever text the platform reports with them; letters, blanks, signs and
// full-width digits are dropped. The input method is switched off for it, so a composed text cannot
// bypass that filter. There is no context menu. Pasting (Ctrl+V, Shift+Insert, the middle button)
// and dropping are not filtered: the owning dialog checks the value it finds (DecimalRule.h).
#pragma once

#include <QLineEdit>

namespace tolvane {

class CNumberEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit CNumberEdit(QWidget* parent = nullptr);

    // The characters the keyboard may insert.
    static bool IsAcceptedCharacter(QChar c);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace tolvane
