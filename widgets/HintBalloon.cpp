#include "widgets/HintBalloon.h"

#include "widgets/BalloonIcons.h"
#include "widgets/HintBalloonPanel.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollArea>
#include <QVariantAnimation>
#include <QWindow>

namespace dosarium {

using namespace BalloonGeometry;

namespace {

// The window a balloon belongs to: never another balloon, but the window that one belongs to.
QWidget *ownerWindow(QWidget *window)
{
    if (auto *balloon = qobject_cast<THintBalloon *>(window))
        return balloon->rememberedWindow();
    return window;
}

} // namespace

THintBalloon::THintBalloon(QWidget *rememberedWindow)
    : QWidget(ownerWindow(rememberedWindow), Qt::Tool | Qt::FramelessWindowHint |
                                                 Qt::WindowStaysOnTopHint |
                                                 Qt::NoDropShadowWindowHint),
      m_remembered(ownerWindow(rememberedWindow))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::StrongFocus);
    setFont(textFont());
    m_closeTimer.setSingleShot(true);
    connect(&m_closeTimer, &QTimer::timeout, this, &QWidget::close);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &THintBalloon::focusWindowChanged);
}

THintBalloon::~THintBalloon()
{
    releaseRememberedWindow();
}

QFont THintBalloon::textFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans")});
    font.setPointSize(8);
    return font;
}

QFont THintBalloon::titleFont()
{
    QFont font = textFont();
    font.setBold(true);
    return font;
}

void THintBalloon::setAnimation(THintBalloonAnimationType type, int speedMs)
{
    m_animationType = type;
    m_animationSpeed = speedMs;
}

void THintBalloon::setDuration(int ms)
{
    m_closeTimer.setInterval(ms);
}

void THintBalloon::popup(const QString &description, int position, const QRect &control,
                         const Rooms &rooms)
{
    m_content = HintBalloonContent::fromDescription(description);
    const QImage icon = BalloonIcons::icon(m_content.iconResName);

    const QFont bold = titleFont();
    const QFontMetrics titleMetrics(bold);
    const QSize titleSize = m_content.title.isEmpty()
                                ? QSize()
                                : titleMetrics
                                      .boundingRect(QRect(0, 0, 100000, 100000),
                                                    Qt::AlignLeft | Qt::AlignTop, m_content.title)
                                      .size();
    const QFontMetrics textMetrics(textFont());
    const QString text = HintBalloonPanel::displayText(m_content.text);
    auto measure = [&](int width) {
        return textMetrics
            .boundingRect(QRect(0, 0, width, 100000),
                          Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text)
            .size();
    };
    m_layout = layoutContent(icon.size(), titleSize, m_content.bestWidth, m_content.maxWidth,
                             m_content.maxHeight, measure);

    m_position = choosePosition(position, rooms, m_layout.panel);
    const QSize window = windowSize(m_layout.panel, m_position);
    setGeometry(windowRect(tailTip(control, m_position), window, m_position));
    setFixedSize(window);
    buildPanel(icon);
    applyReveal(1.0);

    keepRememberedWindowActiveLooking();
    const bool animated = m_animationType != batNone && m_animationSpeed > 0;
    if (animated && m_animationType == batBlend) {
        auto *fade = new QPropertyAnimation(this, "windowOpacity", this);
        fade->setDuration(m_animationSpeed);
        fade->setStartValue(0.0);
        fade->setEndValue(1.0);
        setWindowOpacity(0.0);
        m_animation = fade;
    } else if (animated) {
        auto *reveal = new QVariantAnimation(this);
        reveal->setDuration(m_animationSpeed);
        reveal->setStartValue(0.0);
        reveal->setEndValue(1.0);
        connect(reveal, &QVariantAnimation::valueChanged, this,
                [this](const QVariant &value) { applyReveal(value.toDouble()); });
        applyReveal(0.0);
        m_animation = reveal;
    }
    show();
    if (m_animation)
        m_animation->start(QAbstractAnimation::DeleteWhenStopped);
    activateWindow();
    setFocus(Qt::PopupFocusReason);
    update();

    if (m_closeTimer.interval() > 0)
        m_closeTimer.start();
}

void THintBalloon::buildPanel(const QImage &icon)
{
    const QRect panelRect(panelOrigin(m_position), m_layout.panel);
    auto *content = new HintBalloonPanel(icon, m_content.title, m_content.text, titleFont(),
                                         textFont(), m_layout);
    if (m_layout.scrolls) {
        auto *scroll = new QScrollArea(this);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->viewport()->setAutoFillBackground(false);
        scroll->setAutoFillBackground(false);
        scroll->setWidget(content);
        content->setAutoFillBackground(false);
        m_panel = scroll;
    } else {
        content->setParent(this);
        m_panel = content;
    }
    m_panel->setGeometry(panelRect);
    m_panel->setMask(
        roundedRegion(QRect(QPoint(1, 1), m_layout.panel - QSize(2, 2)), CornerRounding));
}

void THintBalloon::applyReveal(double progress)
{
    const QRect reveal = HintBalloonAnimation::revealedRect(m_animationType, size(), progress);
    m_offset = HintBalloonAnimation::slideOffset(m_animationType, size(), progress);
    QRegion shape = bubbleRegion(size(), m_position).translated(m_offset).intersected(reveal);
    // An empty mask would show the whole window; a single pixel stands in at the very start.
    if (shape.isEmpty())
        shape = QRegion(tailTriangle(size(), m_position).boundingRect().center().x(),
                        tailTriangle(size(), m_position).boundingRect().center().y(), 1, 1);
    setMask(shape);
    if (m_panel)
        m_panel->move(panelOrigin(m_position) + m_offset);
    update();
}

void THintBalloon::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRegion bubble = bubbleRegion(size(), m_position).translated(m_offset);
    for (const QRect &r : bubble)
        p.fillRect(r, QColor::fromRgb(PanelColor));
    for (const QRect &r : frameRegion(bubble))
        p.fillRect(r, Qt::black);
}

void THintBalloon::closeEvent(QCloseEvent *event)
{
    releaseRememberedWindow();
    QWidget::closeEvent(event);
}

void THintBalloon::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    close();
}

void THintBalloon::focusWindowChanged(QWindow *window)
{
    if (!isVisible())
        return;
    if (window && window == windowHandle()) {
        m_hadFocus = true;
        return;
    }
    if (m_hadFocus)
        close();
}

namespace {

// While balloons are up over a window, its inactive colours are its active ones, so that it
// keeps looking active. The window remembers how many balloons keep it so and its own palette.
const char *const KeptCount = "hintBalloonKeptCount";
const char *const KeptPalette = "hintBalloonKeptPalette";
const char *const KeptOwnPalette = "hintBalloonKeptOwnPalette";

} // namespace

void THintBalloon::keepRememberedWindowActiveLooking()
{
    if (!m_remembered || m_paletteKept)
        return;
    m_paletteKept = true;
    const int count = m_remembered->property(KeptCount).toInt();
    m_remembered->setProperty(KeptCount, count + 1);
    if (count > 0)
        return;
    const QPalette own = m_remembered->palette();
    m_remembered->setProperty(KeptPalette, QVariant::fromValue(own));
    m_remembered->setProperty(KeptOwnPalette, m_remembered->testAttribute(Qt::WA_SetPalette));
    QPalette looksActive = own;
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto r = QPalette::ColorRole(role);
        looksActive.setBrush(QPalette::Inactive, r, looksActive.brush(QPalette::Active, r));
    }
    m_remembered->setPalette(looksActive);
}

void THintBalloon::releaseRememberedWindow()
{
    if (!m_remembered || !m_paletteKept)
        return;
    m_paletteKept = false;
    const int count = m_remembered->property(KeptCount).toInt() - 1;
    if (count > 0) {
        m_remembered->setProperty(KeptCount, count);
        return;
    }
    const bool own = m_remembered->property(KeptOwnPalette).toBool();
    m_remembered->setPalette(own ? m_remembered->property(KeptPalette).value<QPalette>()
                                 : QPalette());
    m_remembered->setProperty(KeptCount, QVariant());
    m_remembered->setProperty(KeptPalette, QVariant());
    m_remembered->setProperty(KeptOwnPalette, QVariant());
}

} // namespace dosarium
