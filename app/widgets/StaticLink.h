// CStaticLink: a text that looks and acts like a link: blue (0, 0, 255) and underlined,
// the hand pointer over it, and a click that opens the link with the user's default
// program (app/widgets/UrlOpener.h) and then, when asked to, closes the dialog it sits in.
//
// - The link opened is the one given at construction; when that is empty, the text shown
//   (an address without a scheme is taken as a web address); when both are empty a click
//   does nothing. A link that cannot be opened gives no feedback; the dialog closes all the
//   same.
// - The link takes the keyboard focus; Enter and Space open it as a click does.
#pragma once

#include <QLabel>

namespace tolvane {

class CStaticLink final : public QLabel {
    Q_OBJECT
public:
    CStaticLink(const QString& link, bool bCloseParent, QWidget* parent = nullptr);

    QString Link() const { return m_strLink; }
    // Opens the link as a click does.
    void Activate();

    static const QColor& LinkColour();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_strLink;
    bool m_bCloseParent;
};

} // namespace tolvane
