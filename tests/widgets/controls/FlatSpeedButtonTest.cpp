// The flat buttons: face colours through the hover fade, pressing, groups, the transparent
// colour, the gradient bands and keyboard presses of the focusable kind.

#include "widgets/FlatSpeedButton.h"
#include "widgets/FadeTicker.h"
#include "widgets/FadeTimerTicker.h"
#include "widgets/FlatButton.h"
#include "widgets/FlatColors.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QMetaProperty>
#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

using namespace dosarium;

namespace {

// A fade ticker the test fires by hand.
class ManualTicker : public FadeTicker {
public:
    void resume() override { m_suspended = false; }
    void suspend() override { m_suspended = true; }
    bool isSuspended() const override { return m_suspended; }
    // One 30 ms period passes.
    void fire()
    {
        if (!m_suspended)
            emit tick();
    }

private:
    bool m_suspended = true;
};

QRgb rgb(const QImage &image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

class FlatSpeedButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FadeTicker::setFactory([] { return std::make_unique<ManualTicker>(); });
        m_window.resize(300, 200);
    }
    void TearDown() override { FadeTicker::setFactory({}); }

    // A register-window command button: navy face, hot-track #4040FF, pressed #000040.
    TFlatSpeedButton *commandButton(const QString &caption = QStringLiteral("Adauga Act"))
    {
        auto *button = new TFlatSpeedButton(caption, &m_window);
        button->setGeometry(10, 10, 89, 25);
        button->setColor(QColor(0x000080));
        button->setColorWhenDown(QColor(0x000040));
        button->setHotTrackColor(QColor(0x4040FF));
        button->setLightColor(QColor(0x0000FF));
        button->setShadowColor(Qt::black);
        button->setFontColor(Qt::white);
        button->setHotTrackFontColor(Qt::black);
        button->setSlowDecease(true);
        return button;
    }

    static void enter(QWidget *w)
    {
        QEnterEvent event(QPointF(5, 5), QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(w, &event);
    }
    static void leave(QWidget *w)
    {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(w, &event);
    }
    static ManualTicker *ticker(TFlatSpeedButton *button)
    {
        return static_cast<ManualTicker *>(button->fadeTicker());
    }
    // A pixel of the face beside the caption.
    static QRgb face(TFlatSpeedButton *button) { return rgb(button->renderFace(), 2, 12); }

    QWidget m_window;
};

} // namespace

TEST(FlatColors, fadeColor_truncatesTheMixPerChannel)
{
    const QColor rest(0x000080), hot(0x4040FF);
    EXPECT_EQ(FlatColors::fadeColor(rest, hot, 8), QColor(64, 64, 255));
    EXPECT_EQ(FlatColors::fadeColor(rest, hot, 4), QColor(32, 32, 191)); // 191.5 cut
    EXPECT_EQ(FlatColors::fadeColor(rest, hot, 0), QColor(0, 0, 128));
    EXPECT_EQ(FlatColors::fadeColor(rest, hot, 1), QColor(8, 8, 143)); // 143.875 cut
    EXPECT_EQ(FlatColors::fadeColor(QColor(Qt::white), QColor(Qt::black), 3),
              QColor(159, 159, 159));
}

TEST(FlatColors, bands_stepByAThirtyFirstFromFirstToSecondColour)
{
    const QColor from(0x0000FF), to(0x000080);
    EXPECT_EQ(FlatColors::bandColor(from, to, 0), from);
    EXPECT_EQ(FlatColors::bandColor(from, to, 31), to);
    EXPECT_EQ(FlatColors::bandColor(from, to, 1), QColor(0, 0, 251)); // 255 - 127/31
    EXPECT_EQ(FlatColors::bandColor(QColor(0, 0, 0), QColor(62, 31, 0), 15), QColor(30, 15, 0));

    QImage image(10, 64, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter p(&image);
    FlatColors::fillBands(p, image.rect(), QColor(0, 0, 0), QColor(248, 0, 0));
    p.end();
    EXPECT_EQ(rgb(image, 5, 0), 0x000000u);
    EXPECT_EQ(rgb(image, 5, 1), 0x000000u); // two rows per band
    EXPECT_EQ(rgb(image, 5, 2), qRgb(8, 0, 0) & 0xFFFFFF);
    EXPECT_EQ(rgb(image, 5, 63), qRgb(248, 0, 0) & 0xFFFFFF);
    int changes = 0;
    for (int y = 1; y < 64; ++y)
        changes += rgb(image, 5, y) != rgb(image, 5, y - 1);
    EXPECT_EQ(changes, 31);
}

TEST_F(FlatSpeedButtonTest, hoverAndLeave_fadesBackInEightStepsOfTheTicker)
{
    TFlatSpeedButton *button = commandButton();
    m_window.show();
    EXPECT_EQ(face(button), 0x000080u);

    enter(button);
    EXPECT_TRUE(button->isHovered());
    EXPECT_EQ(button->fadeStep(), 8);
    EXPECT_EQ(face(button), 0x4040FFu);

    leave(button);
    EXPECT_FALSE(button->isHovered());
    ASSERT_NE(ticker(button), nullptr);
    EXPECT_FALSE(ticker(button)->isSuspended());
    EXPECT_EQ(face(button), 0x4040FFu); // nothing changes before the first period

    std::vector<QRgb> faces;
    for (int i = 0; i < 4; ++i) {
        ticker(button)->fire();
        faces.push_back(face(button));
    }
    EXPECT_EQ(button->fadeStep(), 4);
    EXPECT_EQ(faces.back(), qRgb(32, 32, 191) & 0xFFFFFF);
    for (int i = 0; i < 4; ++i) {
        ticker(button)->fire();
        faces.push_back(face(button));
    }
    EXPECT_EQ(button->fadeStep(), 0);
    EXPECT_EQ(faces.back(), 0x000080u);
    EXPECT_TRUE(ticker(button)->isSuspended());
    // Eight distinct steps, each one darker in blue than the one before.
    for (size_t i = 1; i < faces.size(); ++i)
        EXPECT_LT(qBlue(faces[i]), qBlue(faces[i - 1])) << i;

    // A suspended ticker sends nothing more.
    ticker(button)->fire();
    EXPECT_EQ(button->fadeStep(), 0);
}

TEST_F(FlatSpeedButtonTest, enteringDuringAFade_lightsUpAgainAndStopsTheFade)
{
    TFlatSpeedButton *button = commandButton();
    m_window.show();
    enter(button);
    leave(button);
    ticker(button)->fire();
    ticker(button)->fire();
    EXPECT_EQ(button->fadeStep(), 6);
    enter(button);
    EXPECT_EQ(button->fadeStep(), 8);
    EXPECT_TRUE(ticker(button)->isSuspended());
}

TEST_F(FlatSpeedButtonTest, withoutSlowDecease_leaveRestoresTheRestColourAtOnce)
{
    TFlatSpeedButton *button = commandButton();
    button->setSlowDecease(false);
    EXPECT_EQ(button->fadeTicker(), nullptr);
    m_window.show();
    enter(button);
    EXPECT_EQ(face(button), 0x4040FFu);
    leave(button);
    EXPECT_EQ(button->fadeStep(), 0);
    EXPECT_EQ(face(button), 0x000080u);
}

TEST_F(FlatSpeedButtonTest, switchingSlowDeceaseOffDuringAFade_freesTheTickerAndRests)
{
    TFlatSpeedButton *button = commandButton();
    m_window.show();
    enter(button);
    leave(button);
    ticker(button)->fire();
    QPointer<FadeTicker> running = button->fadeTicker();
    button->setSlowDecease(false);
    EXPECT_TRUE(running.isNull());
    EXPECT_EQ(button->fadeStep(), 0);
    EXPECT_EQ(face(button), 0x000080u);
}

TEST_F(FlatSpeedButtonTest, closingTheWindow_stopsAndFreesTheFadeTickers)
{
    auto *window = new QWidget;
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto *a = new TFlatSpeedButton(QStringLiteral("DA"), window);
    auto *b = new TFlatSpeedButton(QStringLiteral("NU"), window);
    for (TFlatSpeedButton *button : {a, b}) {
        button->setHotTrackColor(QColor(0x4040FF));
        button->setSlowDecease(true);
    }
    window->show();
    enter(a);
    leave(a);
    QPointer<FadeTicker> fading = a->fadeTicker();
    QPointer<FadeTicker> idle = b->fadeTicker();
    ASSERT_FALSE(fading.isNull());
    ASSERT_FALSE(idle.isNull());

    window->hide();
    EXPECT_TRUE(fading.isNull());
    EXPECT_TRUE(idle.isNull());
    EXPECT_EQ(a->fadeStep(), 0);

    // Shown again, the buttons are ready to fade; destroying the window frees all.
    window->show();
    fading = a->fadeTicker();
    ASSERT_FALSE(fading.isNull());
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(fading.isNull());
}

TEST_F(FlatSpeedButtonTest, hotTrackColour_isOnlyUsedWhenSetAndEnabled)
{
    TFlatSpeedButton *plain = commandButton();
    plain->setHotTrackColor(QColor());
    m_window.show();
    enter(plain);
    EXPECT_EQ(face(plain), 0x000080u);

    TFlatSpeedButton *disabled = commandButton();
    disabled->setEnabled(false);
    enter(disabled);
    EXPECT_FALSE(disabled->isHovered());
    EXPECT_EQ(face(disabled), 0x000080u);
}

TEST_F(FlatSpeedButtonTest, pressing_showsColorWhenDownUntilReleased)
{
    TFlatSpeedButton *button = commandButton();
    QSignalSpy clicks(button, &QAbstractButton::clicked);
    m_window.show();
    enter(button);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(40, 12));
    EXPECT_EQ(face(button), 0x000040u);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(40, 12));
    EXPECT_EQ(face(button), 0x4040FFu);
    EXPECT_EQ(clicks.count(), 1);

    // Without a pressed colour the face keeps its fade colour while down.
    button->setColorWhenDown(QColor());
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(40, 12));
    EXPECT_EQ(face(button), 0x4040FFu);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(40, 12));

    // The right mouse button does not press it.
    QTest::mousePress(button, Qt::RightButton, {}, QPoint(40, 12));
    EXPECT_FALSE(button->isDown());
    QTest::mouseRelease(button, Qt::RightButton, {}, QPoint(40, 12));
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(FlatSpeedButtonTest, caption_usesHotTrackFontColourWhileHovered)
{
    TFlatSpeedButton *button = commandButton(QStringLiteral("Memoreaza"));
    m_window.show();
    auto inkOf = [button](QRgb colour) {
        const QImage image = button->renderFace();
        int count = 0;
        for (int y = 3; y < image.height() - 3; ++y)
            for (int x = 3; x < image.width() - 3; ++x)
                count += rgb(image, x, y) == colour;
        return count;
    };
    EXPECT_GT(inkOf(0xFFFFFF), 0);
    EXPECT_EQ(inkOf(0x000000), 0);
    enter(button);
    EXPECT_GT(inkOf(0x000000), 0);
    EXPECT_EQ(inkOf(0xFFFFFF), 0);
}

TEST_F(FlatSpeedButtonTest, group_keepsOneButtonDown)
{
    TFlatSpeedButton *a = commandButton(QStringLiteral("A"));
    TFlatSpeedButton *b = commandButton(QStringLiteral("B"));
    TFlatSpeedButton *other = commandButton(QStringLiteral("C"));
    TFlatSpeedButton *loose = commandButton(QStringLiteral("D"));
    a->setGroupIndex(1);
    b->setGroupIndex(1);
    other->setGroupIndex(2);
    m_window.show();

    other->setDownInGroup(true);
    QTest::mouseClick(a, Qt::LeftButton);
    EXPECT_TRUE(a->isDownInGroup());
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_TRUE(b->isDownInGroup());
    EXPECT_FALSE(a->isDownInGroup());
    EXPECT_TRUE(other->isDownInGroup()); // another group

    // Without AllowAllUp the down button stays down.
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_TRUE(b->isDownInGroup());
    b->setDownInGroup(false);
    EXPECT_TRUE(b->isDownInGroup());
    EXPECT_EQ(face(b), 0x000040u);

    a->setAllowAllUp(true);
    EXPECT_TRUE(b->allowAllUp());
    QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_FALSE(b->isDownInGroup());

    // A button without a group comes up again when released and is never down by setting.
    loose->setDownInGroup(true);
    EXPECT_FALSE(loose->isDownInGroup());
    QTest::mouseClick(loose, Qt::LeftButton);
    EXPECT_FALSE(loose->isDown());
    EXPECT_FALSE(loose->isDownInGroup());
}

TEST_F(FlatSpeedButtonTest, transparentFace_letsTheBackgroundThroughWhereMagentaWas)
{
    TFlatSpeedButton *button = commandButton(QStringLiteral("Renunt"));
    button->setTransparent(true);
    m_window.show();

    QImage onGreen(button->size(), QImage::Format_ARGB32);
    onGreen.fill(Qt::green);
    button->render(&onGreen, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(rgb(onGreen, 2, 12), 0x00FF00u);
    for (int y = 0; y < onGreen.height(); ++y)
        for (int x = 0; x < onGreen.width(); ++x)
            ASSERT_NE(rgb(onGreen, x, y), TFlatSpeedButton::TransparentColor) << x << "," << y;

    // Lit, the transparent button shows its face.
    enter(button);
    onGreen.fill(Qt::green);
    button->render(&onGreen, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(rgb(onGreen, 2, 12), 0x4040FFu);

    // The rounded style lets the corners through and fills the middle.
    TFlatSpeedButton *rounded = commandButton(QStringLiteral("OK"));
    rounded->setButtonStyle(TFlatSpeedButton::bsRounded);
    onGreen.fill(Qt::green);
    rounded->render(&onGreen, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(rgb(onGreen, 0, 0), 0x00FF00u);
    EXPECT_EQ(rgb(onGreen, 88, 24), 0x00FF00u);
    EXPECT_EQ(rgb(onGreen, 4, 12), 0x000080u);
}

TEST_F(FlatSpeedButtonTest, gradientStyle_shadesFromLightToFaceColour)
{
    TFlatSpeedButton *button = commandButton(QString());
    button->setButtonStyle(TFlatSpeedButton::bsGradient);
    button->resize(89, 64);
    m_window.show();
    const QImage image = button->renderFace();
    EXPECT_EQ(rgb(image, 40, 1), 0x0000FFu); // the first band, two rows high
    EXPECT_EQ(rgb(image, 40, 62), 0x000080u);
    EXPECT_EQ(rgb(image, 40, 32),
              FlatColors::bandColor(QColor(0x0000FF), QColor(0x000080), 16).rgb() & 0xFFFFFF);
}

TEST_F(FlatSpeedButtonTest, speedButton_takesNoFocusButFlatButtonDoes)
{
    TFlatSpeedButton *speed = commandButton();
    auto *start = new TFlatButton(QStringLiteral("Start"), &m_window);
    EXPECT_EQ(speed->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(start->focusPolicy(), Qt::StrongFocus);
}

TEST_F(FlatSpeedButtonTest, publishedSettings_areReachedByNameWithTheirEnumKeys)
{
    TFlatSpeedButton *button = commandButton();
    EXPECT_STREQ(button->metaObject()->className(), "dosarium::TFlatSpeedButton");
    EXPECT_TRUE(button->setProperty("Style", QStringLiteral("bsGradient")));
    EXPECT_EQ(button->buttonStyle(), TFlatSpeedButton::bsGradient);
    EXPECT_TRUE(button->setProperty("Layout", QStringLiteral("blGlyphTop")));
    EXPECT_EQ(button->glyphLayout(), TFlatSpeedButton::blGlyphTop);
    const QMetaProperty style =
        button->metaObject()->property(button->metaObject()->indexOfProperty("Style"));
    ASSERT_TRUE(style.isEnumType());
    EXPECT_STREQ(style.enumerator().valueToKey(button->property("Style").toInt()), "bsGradient");
    EXPECT_TRUE(button->setProperty("HotTrackColor", QColor(0x123456)));
    EXPECT_EQ(button->hotTrackColor(), QColor(0x123456));

    // The flat button inherits them and is found as a speed button.
    auto *start = new TFlatButton(QStringLiteral("Start"), &m_window);
    EXPECT_TRUE(start->inherits("dosarium::TFlatSpeedButton"));
    EXPECT_EQ(qobject_cast<TFlatSpeedButton *>(static_cast<QObject *>(start)), start);
    EXPECT_TRUE(start->setProperty("SlowDecease", true));
    EXPECT_TRUE(start->slowDecease());
}

TEST_F(FlatSpeedButtonTest, flatButton_isPressedBySpaceAndEnter)
{
    auto *start = new TFlatButton(QStringLiteral("Start"), &m_window);
    start->setGeometry(20, 20, 90, 30);
    QSignalSpy clicks(start, &QAbstractButton::clicked);
    m_window.show();
    m_window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_window));
    start->setFocus();
    ASSERT_TRUE(start->hasFocus());

    QTest::keyClick(start, Qt::Key_Space);
    EXPECT_EQ(clicks.count(), 1);
    QTest::keyClick(start, Qt::Key_Return);
    EXPECT_EQ(clicks.count(), 2);
    QTest::keyClick(start, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(clicks.count(), 3);
    QTest::keyClick(start, Qt::Key_A);
    EXPECT_EQ(clicks.count(), 3);

    // The focused button shows a dotted focus mark inside its bevel.
    start->setColor(QColor(0x000080));
    start->setFontColor(Qt::white);
    const QImage focused = start->renderFace();
    start->clearFocus();
    const QImage unfocused = start->renderFace();
    EXPECT_NE(focused, unfocused);
}

TEST(FadeTimerTicker, ticksWhileResumedAndSleepsWhileSuspended)
{
    FadeTimerTicker ticker;
    QSignalSpy ticks(&ticker, &FadeTicker::tick);
    EXPECT_TRUE(ticker.isSuspended());
    ticker.resume();
    EXPECT_FALSE(ticker.isSuspended());
    EXPECT_TRUE(ticks.wait(1000));
    ticker.suspend();
    ticks.clear();
    QTest::qWait(4 * FadeTicker::IntervalMs);
    EXPECT_EQ(ticks.count(), 0);
}
