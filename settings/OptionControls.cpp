#include "settings/OptionControls.h"

#include "app/widgets/AccessibleName.h"
#include "app/widgets/NumberEdit.h"
#include "app/widgets/QtText.h"
#include "app/widgets/UpDown.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>

namespace tolvane {

namespace {

template <typename T>
T* Named(T* widget, const char* textUtf8, const char* objectName, const char* accessibleUtf8) {
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setAccessibleName(AccessibleName(accessibleUtf8 ? accessibleUtf8 : textUtf8));
    return widget;
}

} // namespace

QCheckBox* MakeCheckBox(QWidget* parent, const char* textUtf8, const char* objectName) {
    return Named(new QCheckBox(Tr(textUtf8), parent), textUtf8, objectName, nullptr);
}

QRadioButton* MakeRadio(QWidget* parent, const char* textUtf8, const char* objectName) {
    return Named(new QRadioButton(Tr(textUtf8), parent), textUtf8, objectName, nullptr);
}

QPushButton* MakePushButton(QWidget* parent, const char* textUtf8, const char* objectName,
                            const char* accessibleUtf8) {
    return Named(new QPushButton(Tr(textUtf8), parent), textUtf8, objectName, accessibleUtf8);
}

NumberField MakeNumberField(QWidget* parent, const char* objectName, const char* accessibleUtf8,
                            int nMaxLength, int32_t nLower, int32_t nUpper) {
    NumberField field;
    field.pEdit = Named(new CNumberEdit(parent), accessibleUtf8, objectName, nullptr);
    field.pEdit->setMaxLength(nMaxLength);
    // Room for the longest number and a little more.
    const QFontMetrics metrics(field.pEdit->font());
    field.pEdit->setFixedWidth(metrics.horizontalAdvance(QString(nMaxLength + 2, u'0')) + 12);
    field.pSpin = new CUpDown(field.pEdit, parent);
    field.pSpin->setObjectName(QString::fromLatin1(objectName) + QStringLiteral("Spin"));
    field.pSpin->setAccessibleName(AccessibleName(accessibleUtf8));
    field.pSpin->SetRange(nLower, nUpper);
    field.pSpin->SetAcceleration(1, 1);
    field.pRow = new QHBoxLayout;
    field.pRow->setSpacing(0);
    field.pRow->addWidget(field.pEdit);
    field.pRow->addWidget(field.pSpin);
    return field;
}

} // namespace tolvane
