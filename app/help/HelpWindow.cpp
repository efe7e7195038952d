#include "app/help/HelpWindow.h"

#include "app/GuiTexts.h"
#include "app/help/HelpTopics.h"
#include "app/widgets/AccessibleName.h"
#include "app/widgets/QtText.h"
#include "app/widgets/UrlOpener.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tolvane {

namespace {

constexpr int kTopicRole = Qt::UserRole;
constexpr int kContentsWidth = 280;
constexpr int kPageWidth = 520;
constexpr int kHeight = 460;

} // namespace

CHelpWindow::CHelpWindow(const CHelpDocument& document, QWidget* parent)
    : QDialog(parent), m_document(document) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(document.Title().isEmpty() ? Tr(gui::txt::kHelpTitle) : document.Title());
    setWindowFlag(Qt::WindowMinMaxButtonsHint, true);

    auto* searchLabel = new QLabel(Tr(gui::txt::kHelpSearchLabel), this);
    m_pSearch = new QLineEdit(this);
    m_pSearch->setObjectName(QStringLiteral("helpSearch"));
    m_pSearch->setAccessibleName(AccessibleName(gui::txt::kHelpSearchLabel));
    m_pSearch->setClearButtonEnabled(true);
    searchLabel->setBuddy(m_pSearch);
    m_pTree = new QTreeWidget(this);
    m_pTree->setObjectName(QStringLiteral("helpContents"));
    m_pTree->setAccessibleName(Tr(gui::txt::kHelpContents));
    m_pTree->setHeaderHidden(true);
    m_pPage = new QTextBrowser(this);
    m_pPage->setObjectName(QStringLiteral("helpPage"));
    m_pPage->setAccessibleName(Tr(gui::txt::kHelpPage));
    m_pPage->setOpenLinks(false);
    auto* close = new QPushButton(Tr(gui::txt::kHelpClose), this);
    close->setObjectName(QStringLiteral("helpClose"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(m_pSearch, 1);
    leftLayout->addLayout(searchRow);
    leftLayout->addWidget(m_pTree, 1);
    auto* splitter = new QSplitter(this);
    splitter->addWidget(left);
    splitter->addWidget(m_pPage);
    splitter->setSizes({kContentsWidth, kPageWidth});
    splitter->setStretchFactor(1, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(bottom);
    resize(kContentsWidth + kPageWidth + 30, kHeight);

    FillContents();
    connect(m_pSearch, &QLineEdit::textChanged, this, &CHelpWindow::Filter);
    connect(m_pTree, &QTreeWidget::itemActivated, this, &CHelpWindow::OnItemActivated);
    connect(m_pTree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { OnItemActivated(item); });
    connect(m_pPage, &QTextBrowser::anchorClicked, this, &CHelpWindow::OnAnchor);
}

void CHelpWindow::FillContents() {
    QList<QTreeWidgetItem*> parents; // the latest item of each level
    for (const HelpEntry& entry : m_document.Contents()) {
        const int nDepth = std::min<int>(entry.nLevel - 1, static_cast<int>(parents.size()));
        parents.resize(nDepth);
        auto* item =
            nDepth == 0 ? new QTreeWidgetItem(m_pTree) : new QTreeWidgetItem(parents.back());
        item->setText(0, entry.title);
        item->setData(0, kTopicRole, entry.topic);
        parents.append(item);
    }
    m_pTree->expandAll();
}

void CHelpWindow::Open(const QString& topic, bool bFocusSearch) {
    const bool bAboveModal =
        QApplication::activeModalWidget() != nullptr && QApplication::activeModalWidget() != this;
    const Qt::WindowModality modality = bAboveModal ? Qt::ApplicationModal : Qt::NonModal;
    if (windowModality() != modality) {
        hide(); // modality changes only while hidden
        setWindowModality(modality);
    }
    ShowTopic(topic);
    show();
    raise();
    activateWindow();
    if (bFocusSearch) {
        m_pSearch->setFocus();
        m_pSearch->selectAll();
    } else {
        m_pTree->setFocus();
    }
}

void CHelpWindow::ShowTopic(const QString& topic) {
    m_strTopic = m_document.HasTopic(topic) ? topic : QString::fromLatin1(kFirstTopic);
    if (!m_document.HasTopic(m_strTopic) && !m_document.Contents().isEmpty()) {
        m_strTopic = m_document.Contents().first().topic;
    }
    m_pPage->setHtml(m_document.PageHtml(m_strTopic));
    if (QTreeWidgetItem* item = FindItem(m_strTopic); item && item != m_pTree->currentItem()) {
        const QSignalBlocker blocker(m_pTree);
        m_pTree->setCurrentItem(item);
    }
}

QTreeWidgetItem* CHelpWindow::FindItem(const QString& topic) const {
    for (QTreeWidgetItemIterator it(m_pTree); *it; ++it) {
        if ((*it)->data(0, kTopicRole).toString() == topic) {
            return *it;
        }
    }
    return nullptr;
}

void CHelpWindow::Filter(const QString& words) {
    const QStringList wanted = words.split(u' ', Qt::SkipEmptyParts);
    // Headings stay while a page below them does.
    for (QTreeWidgetItemIterator it(m_pTree, QTreeWidgetItemIterator::NoChildren); *it; ++it) {
        const QString topic = (*it)->data(0, kTopicRole).toString();
        const QString text = (*it)->text(0) + u'\n' + m_document.PageText(topic);
        bool bMatch = true;
        for (const QString& word : wanted) {
            bMatch = bMatch && text.contains(word, Qt::CaseInsensitive);
        }
        (*it)->setHidden(!bMatch);
    }
    for (QTreeWidgetItemIterator it(m_pTree, QTreeWidgetItemIterator::HasChildren); *it; ++it) {
        bool bAny = false;
        for (int i = 0; i < (*it)->childCount(); ++i) {
            bAny = bAny || !(*it)->child(i)->isHidden();
        }
        (*it)->setHidden(!bAny);
    }
}

void CHelpWindow::OnItemActivated(QTreeWidgetItem* item) {
    if (item && !item->data(0, kTopicRole).toString().isEmpty()) {
        ShowTopic(item->data(0, kTopicRole).toString());
    }
}

void CHelpWindow::OnAnchor(const QUrl& url) {
    if (url.scheme().isEmpty() && url.path().isEmpty()) {
        ShowTopic(url.fragment());
        return;
    }
    OpenUrl(url);
}

} // namespace tolvane
