#include "settings/ReportDialog.h"

#include "app/widgets/AccessibleName.h"
#include "app/widgets/LayoutWrites.h"
#include "app/widgets/QtText.h"
#include "app/widgets/ScreenPlacement.h"
#include "engine/Account.h"
#include "engine/CheckFailures.h"
#include "platform/Profile.h"
#include "settings/OptionControls.h"
#include "settings/SettingsTexts.h"

#include <QCheckBox>
#include <QColor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>

namespace tolvane {

namespace {

constexpr char kSection[] = "Report";
constexpr int32_t kDefaultWidth1 = 200;
constexpr int32_t kDefaultWidth2 = 80;
// The longest auto-hide delay the timer can hold.
constexpr int32_t kMaxHideSeconds = INT_MAX / 1000;
// The list shows at least its header and two rows when details are shown.
constexpr int kListRows = 3;

} // namespace

CReportDialog::CReportDialog() : QDialog(nullptr) {
    setObjectName(QStringLiteral("reportDialog"));
    setWindowTitle(Tr(gui::txt::kReportTitle));
    BuildLayout();
    m_pHideTimer = new QTimer(this);
    m_pHideTimer->setObjectName(QStringLiteral("autoHideTimer"));
    m_pHideTimer->setSingleShot(true);
    connect(m_pHideTimer, &QTimer::timeout, this, &QWidget::hide);
    ReadSettings();
}

CReportDialog::~CReportDialog() {
    SaveSettings();
}

void CReportDialog::BuildLayout() {
    m_pSummary = new QLabel(Tr(gui::txt::kReportFirstSummary), this);
    m_pSummary->setObjectName(QStringLiteral("summaryLabel"));
    // Read by its text (the count), which a screen reader hears change; the role is the
    // description.
    m_pSummary->setAccessibleDescription(Tr(gui::txt::kReportSummaryName));
    m_pSummary->setAlignment(Qt::AlignCenter);
    m_pSummary->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pAlwaysTop = MakeCheckBox(this, gui::txt::kAlwaysTopBox, "alwaysTopBox");
    m_pShowMain = MakePushButton(this, gui::txt::kShowMainButton, "showMainButton");
    m_pDetails = MakePushButton(this, gui::txt::kHideDetailsButton, "detailsButton");
    m_pClose = MakePushButton(this, gui::txt::kReportCloseButton, "closeButton");
    m_pClose->setDefault(true);
    m_pList = new QTreeWidget(this);
    m_pList->setObjectName(QStringLiteral("reportList"));
    m_pList->setAccessibleName(Tr(gui::txt::kReportListName));
    m_pList->setRootIsDecorated(false);
    m_pList->setSortingEnabled(false);
    m_pList->header()->setSectionsClickable(false);
    m_pList->header()->setStretchLastSection(false);
    m_pList->setHeaderLabels(
        {Tr(gui::txt::kReportAccountColumn), Tr(gui::txt::kReportCountColumn)});
    m_pList->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    m_pList->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);

    connect(m_pAlwaysTop, &QCheckBox::clicked, this,
            [this](bool bChecked) { SetTopMost(bChecked); });
    connect(m_pShowMain, &QPushButton::clicked, this, &CReportDialog::showMainWindowRequested);
    connect(m_pDetails, &QPushButton::clicked, this, &CReportDialog::ToggleDetails);
    connect(m_pClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pShowMain);
    buttons->addWidget(m_pDetails);
    buttons->addWidget(m_pClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addWidget(m_pSummary);
    layout->addWidget(m_pAlwaysTop);
    layout->addLayout(buttons);
    layout->addWidget(m_pList, 1);
}

void CReportDialog::ReadSettings() {
    const int32_t nAlwaysTop = GetProfileInt(kSection, "AlwaysTop", 0);
    m_pAlwaysTop->setChecked(nAlwaysTop != 0);
    SetTopMost(nAlwaysTop == 1);
    m_bDetails = GetProfileInt(kSection, "DisplayDetails", 0) != 0 ? 1 : 0;
    m_pList->setColumnWidth(0, GetProfileInt(kSection, "Width1", kDefaultWidth1));
    m_pList->setColumnWidth(1, GetProfileInt(kSection, "Width2", kDefaultWidth2));
    setFixedWidth(std::max(sizeHint().width(), kDefaultWidth1 + kDefaultWidth2 + 30));
    ApplyDetails();
    const QPoint stored(GetProfileInt(kSection, "Left", 0), GetProfileInt(kSection, "Top", 0));
    move(PlaceOnScreens(stored, frameGeometry().size()));
}

bool CReportDialog::Refresh() {
    if (!m_pAccounts) {
        m_pSummary->setText(Tr(gui::txt::kReportNoAccounts));
        return false;
    }
    m_pList->clear();
    int64_t total = 0;
    for (const auto& account : *m_pAccounts) {
        const int nCount = account->GetMailCount();
        auto* row = new QTreeWidgetItem(m_pList);
        row->setText(0, FromCp932(account->m_strName));
        row->setText(1, QString::number(nCount));
        if (m_pFailures && m_pFailures->HasFailed(account->m_strName)) {
            row->setText(1, Tr(gui::txt::kReportFailed));
            row->setForeground(0, QColor(Qt::red));
            row->setForeground(1, QColor(Qt::red));
        }
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        total += nCount;
    }
    m_pSummary->setText(total > 0 ? QString::number(total) + Tr(gui::txt::kReportMails)
                                  : Tr(gui::txt::kReportNoMail));
    return total > 0;
}

void CReportDialog::ArmAutoHide(bool bEnabled, int32_t nSeconds) {
    m_pHideTimer->stop();
    if (bEnabled) {
        m_pHideTimer->start(std::clamp(nSeconds, 1, kMaxHideSeconds) * 1000);
    }
}

bool CReportDialog::IsAutoHidePending() const {
    return m_pHideTimer->isActive();
}

void CReportDialog::ShowWithoutActivating() {
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    show();
    raise();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
}

void CReportDialog::ShowAndActivate() {
    show();
    raise();
    activateWindow();
}

void CReportDialog::ToggleDetails() {
    m_bDetails = m_bDetails != 0 ? 0 : 1;
    ApplyDetails();
}

void CReportDialog::ApplyDetails() {
    const bool bShown = m_bDetails != 0;
    m_pList->setVisible(bShown);
    m_pDetails->setText(Tr(bShown ? gui::txt::kHideDetailsButton : gui::txt::kShowDetailsButton));
    m_pDetails->setAccessibleName(
        AccessibleName(bShown ? gui::txt::kHideDetailsButton : gui::txt::kShowDetailsButton));
    layout()->activate();
    // What the controls above the list need; the list, when shown, at least a few rows.
    const int nControls = layout()->minimumSize().height();
    const int nRow = m_pList->fontMetrics().height() + 4;
    const int nHeight = bShown ? std::max({kDetailsHeight, nControls + kListRows * nRow})
                               : std::max(kNoDetailsHeight, nControls);
    setFixedHeight(nHeight);
}

bool CReportDialog::IsTopMost() const {
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void CReportDialog::SetTopMost(bool bTopMost) {
    if (IsTopMost() == bTopMost) {
        return;
    }
    // Changing the flags takes the window off the screen; it comes back where it was.
    const bool bVisible = isVisible();
    const QPoint position = pos();
    setWindowFlag(Qt::WindowStaysOnTopHint, bTopMost);
    move(position);
    if (bVisible) {
        show();
    }
}

void CReportDialog::SaveSettings() {
    if (m_bSaved) {
        return;
    }
    m_bSaved = true;
    gui::CLayoutBatch layout;
    gui::WriteLayoutInt(kSection, "Left", pos().x());
    gui::WriteLayoutInt(kSection, "Top", pos().y());
    gui::WriteLayoutInt(kSection, "AlwaysTop", m_pAlwaysTop->isChecked() ? 1 : 0);
    gui::WriteLayoutInt(kSection, "DisplayDetails", m_bDetails);
    gui::WriteLayoutInt(kSection, "Width1", m_pList->columnWidth(0));
    gui::WriteLayoutInt(kSection, "Width2", m_pList->columnWidth(1));
}

QString CReportDialog::Summary() const {
    return m_pSummary->text();
}

} // namespace tolvane
