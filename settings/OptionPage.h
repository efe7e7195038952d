// COptionPage: one page of the options sheet. A page fills its controls from the Option
// settings when it is built and writes them back in OnApply.
//
// - OnApply validates and writes, in the page's own order; false keeps the sheet open on
//   this page (the keys written before the failure stay written). The sheet calls it
//   only for pages that have been shown.
// - SetModified marks the page changed; the sheet's Apply button is enabled while any
//   page is marked, and a successful Apply clears every mark.
// - RefuseNumber is a validation failure on a number field: the sheet shows the page
//   (activateRequested), the message is shown with the warning icon, and the field's
//   whole text is selected and focused.
#pragma once

#include <QWidget>

class QLineEdit;

namespace tolvane {

class COptionPage : public QWidget {
    Q_OBJECT
public:
    explicit COptionPage(QWidget* parent = nullptr);

    virtual bool OnApply() = 0;

    void SetModified(bool bModified);
    bool IsModified() const { return m_bModified; }
    bool WasShown() const { return m_bShown; }

Q_SIGNALS:
    void modifiedChanged();
    void activateRequested(COptionPage* page);

protected:
    void showEvent(QShowEvent* event) override;
    bool RefuseNumber(const char* messageUtf8, QLineEdit* field);

private:
    bool m_bModified = false;
    bool m_bShown = false;
};

} // namespace tolvane
