// CAboutBox: the modal box "バージョン情報": the program's icon, "トルヴェイン Version
// 3.0.1", a notice line, and two links: the project's home page and a new mail to the
// project's address (CStaticLink, both closing the box when clicked). "閉じる" is the
// default button and has the focus when the box opens.
#pragma once

#include <QDialog>

namespace tolvane {

class CStaticLink;

class CAboutBox final : public QDialog {
    Q_OBJECT
public:
    explicit CAboutBox(QWidget* parent = nullptr);

    CStaticLink* HomeLink() const { return m_pHome; }
    CStaticLink* MailLink() const { return m_pMail; }

private:
    CStaticLink* m_pHome = nullptr;
    CStaticLink* m_pMail = nullptr;
};

} // namespace tolvane
