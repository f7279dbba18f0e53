#include "controls/TransParentButton.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimerEvent>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;
using tavelin::CTransParentButton;

namespace {

constexpr int W = 100;
constexpr int H = 32;
const QColor Blue(0, 0, 255);
const QColor HotRed(200, 70, 50);
const QColor Black(0, 0, 0);

class Probe : public CTransParentButton
{
public:
    explicit Probe(const QString &text = u"&Go"_s)
        : CTransParentButton(text)
    {
        QFont bigger = font();
        bigger.setPixelSize(18);
        bigger.setBold(true);
        setFont(bigger);
        resize(W, H);
    }
    QPoint cursor; // global
    QPoint global(int x, int y) const { return mapToGlobal(QPoint(x, y)); }
    void cursorAt(int x, int y) { cursor = global(x, y); }

protected:
    QPoint cursorPos() const override { return cursor; }
};

QImage shot(QWidget &widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// In 8 bits a channel, as the rendered image holds it.
QColor role(const QWidget &widget, QPalette::ColorRole r)
{
    return QColor::fromRgb(widget.palette().color(QPalette::Active, r).rgb());
}

// Bounding box and count of the pixels of exactly this colour.
struct Ink
{
    QRect box;
    int count = 0;
};

Ink ink(const QImage &image, const QColor &colour)
{
    Ink found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour) {
                found.box |= QRect(x, y, 1, 1);
                ++found.count;
            }
    return found;
}

bool mouse(QWidget &widget, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
    return event.isAccepted();
}
void move(QWidget &w, QPoint at, Qt::MouseButtons held = {}) { mouse(w, QEvent::MouseMove, at, Qt::NoButton, held); }
void press(QWidget &w, QPoint at) { mouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
void release(QWidget &w, QPoint at) { mouse(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, {}); }

void tick(QObject &object, int id)
{
    QTimerEvent event(id);
    QCoreApplication::sendEvent(&object, &event);
}

void expectRaised(const QImage &image, const QWidget &widget)
{
    EXPECT_EQ(image.pixelColor(0, 0), role(widget, QPalette::Light));
    EXPECT_EQ(image.pixelColor(W - 1, H - 1), Black);
    EXPECT_EQ(image.pixelColor(W - 1, 0), Black) << "bottom and right own the corners";
    EXPECT_EQ(image.pixelColor(1, 1), role(widget, QPalette::Light));
    EXPECT_EQ(image.pixelColor(W - 2, H - 2), role(widget, QPalette::Dark));
    EXPECT_EQ(image.pixelColor(2, 2), role(widget, QPalette::Button));
}

TEST(TransParentButtonPaint, EachStateShowsItsEdgeAndCaptionColour)
{
    Probe button;
    const QImage normal = shot(button);
    EXPECT_EQ(button.state(), CTransParentButton::Normal);
    expectRaised(normal, button);
    EXPECT_GT(ink(normal, Blue).count, 0);
    EXPECT_EQ(ink(normal, HotRed).count, 0);

    move(button, {10, 10});
    const QImage hot = shot(button);
    EXPECT_EQ(button.captionColour(), CTransParentButton::HotColour);
    expectRaised(hot, button);
    const Ink hotInk = ink(hot, HotRed);
    EXPECT_GT(hotInk.count, 0);
    EXPECT_EQ(ink(hot, Blue).count, 0);

    press(button, {10, 10});
    const QImage pressed = shot(button);
    EXPECT_EQ(pressed.pixelColor(0, 0), Black);
    EXPECT_EQ(pressed.pixelColor(W - 1, H - 1), role(button, QPalette::Light));
    EXPECT_EQ(pressed.pixelColor(1, 1), role(button, QPalette::Dark));
    EXPECT_EQ(pressed.pixelColor(W - 2, H - 2), role(button, QPalette::Light));
    const Ink pressedInk = ink(pressed, HotRed);
    EXPECT_EQ(pressedInk.count, hotInk.count);
    EXPECT_EQ(pressedInk.box, hotInk.box.translated(1, 1));

    release(button, {10, 10});
    const QImage released = shot(button);
    expectRaised(released, button);
    EXPECT_EQ(ink(released, Blue).box, ink(normal, Blue).box);
    EXPECT_EQ(button.captionColour(), CTransParentButton::NormalColour);
}

TEST(TransParentButtonPaint, CaptionIsCentredAndCutAfterTheFirstAmpersand)
{
    EXPECT_EQ(CTransParentButton::caption(u"  &Search"_s), u"Search"_s);
    EXPECT_EQ(CTransParentButton::caption(u"Sea&rch"_s), u"rch"_s);
    EXPECT_EQ(CTransParentButton::caption(u"A&&B"_s), u"&B"_s);
    EXPECT_EQ(CTransParentButton::caption(u" Plain text"_s), u"Plain text"_s);
    EXPECT_EQ(CTransParentButton::caption(u"   "_s), QString());

    Probe plain(u"Wide"_s);
    Probe marked(u"x&Wide"_s);
    const QImage image = shot(plain);
    EXPECT_EQ(image, shot(marked));
    const Ink text = ink(image, Blue);
    const QFontMetrics metrics(plain.font());
    const int x = (W - metrics.horizontalAdvance(u"Wide"_s)) / 2;
    const int y = (H - metrics.height()) / 2;
    EXPECT_GE(text.box.left(), x);
    EXPECT_GT(text.box.width(), metrics.horizontalAdvance(u"Wid"_s)) << "drawn whole";
    EXPECT_LE(text.box.right(), x + metrics.horizontalAdvance(u"Wide"_s));
    EXPECT_GE(text.box.top(), y);
    EXPECT_LE(text.box.bottom(), y + metrics.ascent());
}

TEST(TransParentButtonPaint, FocusAddsBlackFrameShadowLineAndDots)
{
    Probe button;
    EXPECT_EQ(shot(button).pixelColor(W - 2, H / 2), role(button, QPalette::Dark));

    button.show();
    button.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&button));
    button.setFocus();
    ASSERT_TRUE(button.hasFocus());
    const QImage image = shot(button);
    for (int x = 0; x < W; ++x) {
        EXPECT_EQ(image.pixelColor(x, 0), Black) << x;
        EXPECT_EQ(image.pixelColor(x, H - 1), Black) << x;
    }
    for (int y = 0; y < H; ++y) {
        EXPECT_EQ(image.pixelColor(0, y), Black) << y;
        EXPECT_EQ(image.pixelColor(W - 2, y), Black) << y;
    }
    for (int x = 1; x <= W - 2; ++x)
        EXPECT_EQ(image.pixelColor(x, H - 2), Black) << x;
    EXPECT_EQ(image.pixelColor(1, 1), role(button, QPalette::Light));
    EXPECT_EQ(image.pixelColor(1, H - 3), role(button, QPalette::Light));
    EXPECT_EQ(image.pixelColor(W - 3, 1), role(button, QPalette::Light));
    EXPECT_EQ(image.pixelColor(W - 3, 2), role(button, QPalette::Button));

    const QColor face = role(button, QPalette::Button);
    EXPECT_EQ(image.pixelColor(3, 3), face);
    EXPECT_EQ(image.pixelColor(4, 4), Black);
    EXPECT_EQ(image.pixelColor(5, 4), face);
    EXPECT_EQ(image.pixelColor(6, 4), Black);
    EXPECT_EQ(image.pixelColor(4, 5), face);
    EXPECT_EQ(image.pixelColor(4, 6), Black);
    EXPECT_EQ(image.pixelColor(W - 5, H - 5), (W - 5 + H - 5) % 2 ? face : Black);
    EXPECT_EQ(image.pixelColor(W - 4, H - 5), face);
    EXPECT_EQ(image.pixelColor(W - 5, H - 4), face);
}

TEST(TransParentButtonPaint, DisabledIsEmbossedRaisedAndStartsNoHover)
{
    Probe button;
    move(button, {10, 10});
    press(button, {10, 10});
    button.setEnabled(false);
    const QImage image = shot(button);
    EXPECT_EQ(button.state(), CTransParentButton::Normal);
    expectRaised(image, button);
    EXPECT_EQ(ink(image, Blue).count, 0);
    EXPECT_EQ(ink(image, HotRed).count, 0);
    const Ink dark = ink(image.copy(2, 2, W - 4, H - 4), role(button, QPalette::Dark));
    EXPECT_GT(dark.count, 0) << "the caption is still drawn";

    Probe idle;
    idle.setEnabled(false);
    shot(idle);
    move(idle, {10, 10});
    EXPECT_FALSE(idle.hovering());
    EXPECT_EQ(idle.hoverTimerId(), 0);
}

TEST(TransParentButtonHover, LeavingIsSeenByThePollWithExclusiveRightAndBottom)
{
    Probe button;
    move(button, {10, 10});
    EXPECT_TRUE(button.hovering());
    EXPECT_EQ(button.state(), CTransParentButton::Hot);
    const int id = button.hoverTimerId();
    ASSERT_NE(id, 0);

    button.cursorAt(W - 1, H - 1);
    tick(button, id);
    EXPECT_TRUE(button.hovering());
    button.cursorAt(W, 5);
    tick(button, id + 1000);
    EXPECT_TRUE(button.hovering()) << "a tick of another timer does nothing";
    tick(button, id);
    EXPECT_FALSE(button.hovering());
    EXPECT_EQ(button.state(), CTransParentButton::Normal);
    EXPECT_EQ(button.hoverTimerId(), 0);

    move(button, {10, 10});
    button.cursorAt(5, H);
    tick(button, button.hoverTimerId());
    EXPECT_FALSE(button.hovering()) << "bottom edge is outside";
    EXPECT_FALSE(button.testAttribute(Qt::WA_SetCursor));
}

TEST(TransParentButtonHover, RealTimerPollsAfterHover)
{
    Probe button;
    button.cursorAt(-5, -5);
    move(button, {10, 10});
    ASSERT_TRUE(button.hovering());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !button.hovering(); }, 1000));
}

TEST(TransParentButtonHover, DraggingOffWhileHeldRaisesButDoesNotClick)
{
    Probe button;
    QSignalSpy clicked(&button, &QPushButton::clicked);
    move(button, {10, 10});
    press(button, {10, 10});
    EXPECT_EQ(button.state(), CTransParentButton::Pressed);
    move(button, {W + 20, 10}, Qt::LeftButton);
    EXPECT_EQ(button.state(), CTransParentButton::Pressed);
    EXPECT_TRUE(button.isDown()) << "held moves never reach the base";

    button.cursorAt(W + 20, 10);
    tick(button, button.hoverTimerId());
    EXPECT_FALSE(button.hovering());
    const QImage image = shot(button);
    expectRaised(image, button);
    EXPECT_GT(ink(image, Blue).count, 0);
    EXPECT_EQ(ink(image, HotRed).count, 0);

    move(button, {10, 10}, Qt::LeftButton);
    EXPECT_FALSE(button.hovering()) << "no hover while held";
    EXPECT_EQ(button.state(), CTransParentButton::Normal);
    release(button, {W + 20, 10});
    EXPECT_EQ(button.state(), CTransParentButton::Released);
    EXPECT_EQ(clicked.count(), 0);

    press(button, {10, 10});
    move(button, {W + 20, 10}, Qt::LeftButton);
    move(button, {10, 10}, Qt::LeftButton);
    release(button, {10, 10});
    EXPECT_EQ(clicked.count(), 1);
}

TEST(TransParentButtonHover, DisabledWhileHoveringKeepsPollingUntilEnabled)
{
    Probe button;
    move(button, {10, 10});
    const int id = button.hoverTimerId();
    button.setEnabled(false);
    shot(button);
    button.cursorAt(W + 5, 5);
    tick(button, id);
    EXPECT_TRUE(button.hovering());
    EXPECT_EQ(button.hoverTimerId(), id);

    button.setEnabled(true);
    shot(button);
    tick(button, id);
    EXPECT_FALSE(button.hovering());
    EXPECT_EQ(button.hoverTimerId(), 0);
}

TEST(TransParentButtonClick, MouseSpaceAndMnemonicClickWithoutSunkenEdge)
{
    Probe button;
    QSignalSpy clicked(&button, &QPushButton::clicked);
    press(button, {10, 10});
    release(button, {10, 10});
    EXPECT_EQ(clicked.count(), 1);

    QTest::keyPress(&button, Qt::Key_Space);
    EXPECT_TRUE(button.isDown());
    expectRaised(shot(button), button);
    QTest::keyRelease(&button, Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 2);

    // What a mnemonic does: the base's own delayed-click timer must reach it.
    button.animateClick();
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicked.count() == 3; }, 1000));
    EXPECT_FALSE(button.isDown());
}

} // namespace
