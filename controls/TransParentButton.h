#pragma once

#include "controls/SheetModel.h"

#include <QBasicTimer>
#include <QPushButton>

namespace tavelin {

// A push button that paints itself flat-classic: a raised or sunken
// two-pixel edge and a caption that turns hot while the mouse is over it.
// The widget gets no leave events while the left button is held, so leaving
// is noticed by polling the cursor every 10 ms while hovering.
//
// The look follows its own state only, never isDown(): pressing with the
// keyboard clicks without showing a sunken edge.
class CTransParentButton : public QPushButton
{
    Q_OBJECT

public:
    enum State { Hot = 0, Normal = 1, Released = 2, Pressed = 3 };

    static constexpr Colour HotColour = 0x3246C8;
    static constexpr Colour NormalColour = 0xFF0000;

    explicit CTransParentButton(QWidget *parent = nullptr);
    explicit CTransParentButton(const QString &text, QWidget *parent = nullptr);

    int state() const noexcept { return m_state; }
    bool hovering() const noexcept { return m_hovering; }
    Colour captionColour() const noexcept { return m_captionColour; }
    // 0 while no hover poll is running.
    int hoverTimerId() const noexcept { return m_hoverTimer.timerId(); }

    // What is drawn of text(): no leading blanks, nothing up to the first '&'.
    static QString caption(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

    // Global cursor position seen by the hover poll.
    virtual QPoint cursorPos() const;

private:
    void paintEdge(QPainter &painter) const;
    void paintFocus(QPainter &painter) const;
    void paintCaption(QPainter &painter);

    QBasicTimer m_hoverTimer;
    bool m_hovering = false;
    bool m_enabled = true; // as last painted; the poll acts only on an enabled button
    bool m_focused = false;
    Colour m_captionColour = NormalColour;
    int m_state = Normal;
};

} // namespace tavelin
