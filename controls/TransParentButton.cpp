#include "controls/TransParentButton.h"

#include "controls/SheetBodyModel.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>

namespace tavelin {

namespace {

constexpr int HoverPollMs = 10;

// System colours: they do not follow the widget's own enabled or active state.
QColor systemColour(const QWidget &widget, QPalette::ColorRole role)
{
    return widget.palette().color(QPalette::Active, role);
}

// One-pixel frame; bottom and right are drawn last and so own the corners.
void frame(QPainter &painter, const QRect &r, const QColor &topLeft, const QColor &bottomRight)
{
    painter.fillRect(r.left(), r.top(), r.width(), 1, topLeft);
    painter.fillRect(r.left(), r.top(), 1, r.height(), topLeft);
    painter.fillRect(r.left(), r.bottom(), r.width(), 1, bottomRight);
    painter.fillRect(r.right(), r.top(), 1, r.height(), bottomRight);
}

} // namespace

CTransParentButton::CTransParentButton(QWidget *parent)
    : QPushButton(parent)
{
    // Hover is seen from plain mouse moves.
    setMouseTracking(true);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CTransParentButton::CTransParentButton(const QString &text, QWidget *parent)
    : CTransParentButton(parent)
{
    setText(text);
}

QString CTransParentButton::caption(const QString &text)
{
    qsizetype start = 0;
    while (start < text.size() && text.at(start).isSpace())
        ++start;
    const qsizetype amp = text.indexOf(u'&', start);
    return text.mid(amp < 0 ? start : amp + 1);
}

void CTransParentButton::paintEvent(QPaintEvent *)
{
    m_enabled = isEnabled();
    if (!m_enabled)
        m_state = Normal;
    m_focused = hasFocus();

    QPainter painter(this);
    painter.fillRect(rect(), systemColour(*this, QPalette::Button));
    paintEdge(painter);
    if (m_focused)
        paintFocus(painter);
    paintCaption(painter);
}

void CTransParentButton::paintEdge(QPainter &painter) const
{
    const QColor light = systemColour(*this, QPalette::Light);
    const QColor dark = systemColour(*this, QPalette::Dark);
    const QColor black(Qt::black);
    const QRect outer = rect();
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    if (m_state == Pressed) {
        frame(painter, outer, black, light);
        frame(painter, inner, dark, light);
    } else {
        frame(painter, outer, light, black);
        frame(painter, inner, light, dark);
    }
}

void CTransParentButton::paintFocus(QPainter &painter) const
{
    const int w = width();
    const int h = height();
    const QColor black(Qt::black);
    frame(painter, rect(), black, black);
    // A second shadow line inside the black frame, bottom and right.
    painter.fillRect(w - 2, 0, 1, h - 1, black);
    painter.fillRect(1, h - 2, w - 2, 1, black);

    const QRect dots = rect().adjusted(4, 4, -4, -4);
    if (dots.isEmpty())
        return;
    for (int x = dots.left(); x <= dots.right(); ++x)
        for (int y : {dots.top(), dots.bottom()})
            if (((x + y) & 1) == 0)
                painter.fillRect(x, y, 1, 1, black);
    for (int y = dots.top() + 1; y < dots.bottom(); ++y)
        for (int x : {dots.left(), dots.right()})
            if (((x + y) & 1) == 0)
                painter.fillRect(x, y, 1, 1, black);
}

void CTransParentButton::paintCaption(QPainter &painter)
{
    const QString shown = caption(text());
    const QFontMetrics metrics = fontMetrics();
    int x = (width() - metrics.horizontalAdvance(shown)) / 2;
    int y = (height() - metrics.height()) / 2;
    painter.setFont(font());
    painter.setBackgroundMode(Qt::TransparentMode);

    if (!m_enabled) {
        painter.setPen(systemColour(*this, QPalette::Light));
        painter.drawText(QPoint(x + 1, y + 1 + metrics.ascent()), shown);
        painter.setPen(systemColour(*this, QPalette::Dark));
        painter.drawText(QPoint(x, y + metrics.ascent()), shown);
        return;
    }

    m_captionColour = (m_state == Hot || m_state == Pressed) ? HotColour : NormalColour;
    if (m_state == Pressed) {
        ++x;
        ++y;
    }
    painter.setPen(toQColor(m_captionColour));
    painter.drawText(QPoint(x, y + metrics.ascent()), shown);
}

void CTransParentButton::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging with the button held: the base would redraw itself down or up
    // as the cursor crosses the edge; this button keeps its own state.
    if (event->buttons() & Qt::LeftButton) {
        event->accept();
        return;
    }
    if (!m_hovering && m_enabled) {
        m_hovering = true;
        m_state = Hot;
        update();
        m_hoverTimer.start(HoverPollMs, this);
    }
    QPushButton::mouseMoveEvent(event);
}

void CTransParentButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_state = Pressed;
        update();
    }
    QPushButton::mousePressEvent(event);
}

void CTransParentButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_state = Released;
        update();
    }
    QPushButton::mouseReleaseEvent(event);
}

void CTransParentButton::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_hoverTimer.timerId()) {
        const QRect global(mapToGlobal(QPoint(0, 0)), size());
        if (!global.contains(cursorPos()) && m_hovering && m_enabled) {
            m_hoverTimer.stop();
            m_state = Normal;
            m_hovering = false;
            update();
        }
    }
    // The base keeps its auto-repeat and delayed-click (mnemonic) timers here.
    QPushButton::timerEvent(event);
}

QPoint CTransParentButton::cursorPos() const
{
    return QCursor::pos();
}

} // namespace tavelin
