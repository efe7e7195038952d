#include "app/AboutBox.h"

#include "app/GuiTexts.h"
#include "app/Resources.h"
#include "app/widgets/AccessibleName.h"
#include "app/widgets/QtText.h"
#include "app/widgets/StaticLink.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tolvane {

namespace {

constexpr int kIconSize = 32;

QLabel* MakeText(QWidget* parent, const char* textUtf8) {
    return new QLabel(Tr(textUtf8), parent);
}

} // namespace

CAboutBox::CAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(Tr(gui::txt::kAboutTitle));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("iconLabel"));
    // The icon installed with the program, else the program's own image.
    gui::EnsureResources();
    icon->setPixmap(
        QIcon::fromTheme(QStringLiteral("tolvane"), QIcon(QStringLiteral(":/icons/tolvane.svg")))
            .pixmap(kIconSize, kIconSize));
    icon->setFixedSize(kIconSize, kIconSize);
    QLabel* version = MakeText(this, gui::txt::kAboutVersion);
    version->setObjectName(QStringLiteral("versionLabel"));
    QLabel* notice = MakeText(this, gui::txt::kAboutNotice);
    notice->setObjectName(QStringLiteral("noticeLabel"));

    const QString mail = Tr(gui::txt::kMailAddress);
    m_pHome = new CStaticLink(Tr(gui::txt::kHomePage), true, this);
    m_pHome->setObjectName(QStringLiteral("homeLink"));
    m_pHome->setText(Tr(gui::txt::kHomePage));
    m_pHome->setAccessibleName(AccessibleName(gui::txt::kAboutHomeLabel));
    m_pMail = new CStaticLink(QStringLiteral("mailto:") + mail, true, this);
    m_pMail->setObjectName(QStringLiteral("mailLink"));
    m_pMail->setText(mail);
    m_pMail->setAccessibleName(AccessibleName(gui::txt::kAboutMailLabel));

    auto* close = new QPushButton(Tr(gui::txt::kAboutClose), this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* links = new QGridLayout;
    links->addWidget(MakeText(this, gui::txt::kAboutHomeLabel), 0, 0, Qt::AlignRight);
    links->addWidget(m_pHome, 0, 1);
    links->addWidget(MakeText(this, gui::txt::kAboutMailLabel), 1, 0, Qt::AlignRight);
    links->addWidget(m_pMail, 1, 1);
    links->setColumnStretch(1, 1);
    auto* texts = new QVBoxLayout;
    texts->addWidget(version);
    texts->addWidget(notice);
    texts->addSpacing(8);
    texts->addLayout(links);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addWidget(close, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Tab order: the close button first, then the links.
    setTabOrder(close, m_pHome);
    setTabOrder(m_pHome, m_pMail);
    close->setFocus();
}

} // namespace tolvane
