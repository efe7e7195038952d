#include "app/widgets/NumberEdit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace tolvane {

namespace {

bool AllAccepted(const QString& text) {
    return std::all_of(text.begin(), text.end(), &CNumberEdit::IsAcceptedCharacter);
}

} // namespace

CNumberEdit::CNumberEdit(QWidget* parent) : QLineEdit(parent) {
    setContextMenuPolicy(Qt::NoContextMenu);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setInputMethodHints(Qt::ImhDigitsOnly);
}

bool CNumberEdit::IsAcceptedCharacter(QChar c) {
    const char16_t code = c.unicode();
    return (code >= u'0' && code <= u'9') || code < 32 || code == 127;
}

void CNumberEdit::keyPressEvent(QKeyEvent* event) {
    // Ctrl and Ctrl+Shift never type their text: they are the edit's shortcuts (copy, cut,
    // paste, select all), which some platforms report with the letter instead of the
    // control character.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool bShortcut =
        modifiers == Qt::ControlModifier || modifiers == (Qt::ControlModifier | Qt::ShiftModifier);
    if (!bShortcut && !AllAccepted(event->text())) {
        event->accept(); // dropped, and not passed on to the dialog either
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CNumberEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (!AllAccepted(event->commitString()) || !AllAccepted(event->preeditString())) {
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

void CNumberEdit::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
}

} // namespace tolvane
