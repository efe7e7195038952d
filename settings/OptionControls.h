// The controls the option pages are built from, each with its object name (tests find it
// by that name) and the accessible name taken from its label.
#pragma once

#include <cstdint>

class QCheckBox;
class QHBoxLayout;
class QPushButton;
class QRadioButton;
class QWidget;

namespace tolvane {

class CNumberEdit;
class CUpDown;

// The longest path a path field takes, in characters: a Linux path may be 4,096 bytes
// (PATH_MAX), and a stored path must come back from the field whole, never cut.
inline constexpr int kPathMaxLength = 4096;

QCheckBox* MakeCheckBox(QWidget* parent, const char* textUtf8, const char* objectName);
QRadioButton* MakeRadio(QWidget* parent, const char* textUtf8, const char* objectName);
QPushButton* MakePushButton(QWidget* parent, const char* textUtf8, const char* objectName,
                            const char* accessibleUtf8 = nullptr);

// A number field with its up-down arrows: at most nMaxLength characters, the range
// nLower..nUpper, one step at a time however long an arrow is held. The row holds the
// field and the arrows; the caller adds what follows them.
struct NumberField {
    CNumberEdit* pEdit = nullptr;
    CUpDown* pSpin = nullptr;
    QHBoxLayout* pRow = nullptr;
};
NumberField MakeNumberField(QWidget* parent, const char* objectName, const char* accessibleUtf8,
                            int nMaxLength, int32_t nLower, int32_t nUpper);

} // namespace tolvane
