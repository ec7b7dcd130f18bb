#pragma once

// TFlatSpeedButton: the flat, coloured command button of the program's windows. It lights up
// in its hot-track colour as soon as the mouse enters and, with SlowDecease on, fades back to
// its rest colour in eight steps 30 ms apart after the mouse leaves. Buttons of one parent that
// share a non-zero GroupIndex behave as a group in which one button stays down. The face is
// drawn off-screen and copied in one step; transparent buttons and the see-through style treat
// magenta as transparent. It takes no keyboard focus (TFlatButton does).

#include "widgets/FadeTicker.h"

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QPointer>

#include <memory>

namespace dosarium {

class TFlatSpeedButton : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(QColor Color READ color WRITE setColor)
    Q_PROPERTY(QColor ColorWhenDown READ colorWhenDown WRITE setColorWhenDown)
    Q_PROPERTY(QColor HotTrackColor READ hotTrackColor WRITE setHotTrackColor)
    Q_PROPERTY(QColor LightColor READ lightColor WRITE setLightColor)
    Q_PROPERTY(QColor ShadowColor READ shadowColor WRITE setShadowColor)
    Q_PROPERTY(QColor FontColor READ fontColor WRITE setFontColor)
    Q_PROPERTY(QFont HotTrackFont READ hotTrackFont WRITE setHotTrackFont)
    Q_PROPERTY(QColor HotTrackFontColor READ hotTrackFontColor WRITE setHotTrackFontColor)
    Q_PROPERTY(TFlatButtonStyle Style READ buttonStyle WRITE setButtonStyle)
    Q_PROPERTY(bool SlowDecease READ slowDecease WRITE setSlowDecease)
    Q_PROPERTY(Qt::Alignment Alignment READ alignment WRITE setAlignment)
    Q_PROPERTY(TButtonLayout Layout READ glyphLayout WRITE setGlyphLayout)
    Q_PROPERTY(bool WordWrap READ wordWrap WRITE setWordWrap)
    Q_PROPERTY(QPixmap Glyph READ glyph WRITE setGlyph)
    Q_PROPERTY(int NumGlyphs READ numGlyphs WRITE setNumGlyphs)
    Q_PROPERTY(bool Flat READ isFlat WRITE setFlat)
    Q_PROPERTY(bool Transparent READ isTransparent WRITE setTransparent)
    Q_PROPERTY(int GroupIndex READ groupIndex WRITE setGroupIndex)
    Q_PROPERTY(bool Down READ isDownInGroup WRITE setDownInGroup)
    Q_PROPERTY(bool AllowAllUp READ allowAllUp WRITE setAllowAllUp)
public:
    // bsModern: a flat face with a one-pixel bevel in the light and shadow colours.
    // bsGradient: the face shaded in 32 bands from the light colour to the face colour.
    // bsRounded: a see-through rounded face; the corners show what lies behind the button.
    enum TFlatButtonStyle { bsModern, bsGradient, bsRounded };
    Q_ENUM(TFlatButtonStyle)
    // Where the glyph stands relative to the caption.
    enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
    Q_ENUM(TButtonLayout)

    // The off-screen picture starts in this colour where the face lets the background through.
    static constexpr QRgb TransparentColor = 0xFF00FF;

    explicit TFlatSpeedButton(QWidget *parent = nullptr);
    explicit TFlatSpeedButton(const QString &caption, QWidget *parent = nullptr);
    ~TFlatSpeedButton() override;

    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    // Face colour while down; an invalid colour (the default) keeps the fade colour.
    QColor colorWhenDown() const { return m_colorWhenDown; }
    void setColorWhenDown(const QColor &color);
    // Face colour under the mouse; an invalid colour (the default) keeps the rest colour.
    QColor hotTrackColor() const { return m_hotTrackColor; }
    void setHotTrackColor(const QColor &color);
    QColor lightColor() const { return m_lightColor; }
    void setLightColor(const QColor &color);
    QColor shadowColor() const { return m_shadowColor; }
    void setShadowColor(const QColor &color);
    // Caption colour at rest; invalid means the palette's window-text colour.
    QColor fontColor() const { return m_fontColor; }
    void setFontColor(const QColor &color);
    QFont hotTrackFont() const { return m_hotTrackFont; }
    void setHotTrackFont(const QFont &font);
    // Caption colour under the mouse; invalid means the palette's window-text colour.
    QColor hotTrackFontColor() const { return m_hotTrackFontColor; }
    void setHotTrackFontColor(const QColor &color);
    TFlatButtonStyle buttonStyle() const { return m_style; }
    void setButtonStyle(TFlatButtonStyle style);
    bool slowDecease() const { return m_slowDecease; }
    void setSlowDecease(bool on);
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);
    TButtonLayout glyphLayout() const { return m_layout; }
    void setGlyphLayout(TButtonLayout layout);
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool on);
    // The glyph holds NumGlyphs pictures side by side: up, disabled, pressed, staying down.
    QPixmap glyph() const { return m_glyph; }
    void setGlyph(const QPixmap &glyph);
    int numGlyphs() const { return m_numGlyphs; }
    void setNumGlyphs(int count);
    // A flat button shows its bevel only under the mouse or while down.
    bool isFlat() const { return m_flat; }
    void setFlat(bool on);
    // A transparent button fills its face only while lit or down.
    bool isTransparent() const { return m_transparent; }
    void setTransparent(bool on);
    int groupIndex() const { return m_groupIndex; }
    void setGroupIndex(int index);
    // Whether a grouped button stays down; buttons without a group are never down this way.
    bool isDownInGroup() const { return isChecked(); }
    void setDownInGroup(bool down);
    // Whether the down button of a group may come up again, leaving all up.
    bool allowAllUp() const { return m_allowAllUp; }
    void setAllowAllUp(bool on);

    bool isHovered() const { return m_hovered; }
    int fadeStep() const { return m_fadeStep; }
    // The ticker of the slow fade, while the button has one.
    FadeTicker *fadeTicker() const { return m_ticker.get(); }
    // The face colour the button shows now.
    QColor currentFaceColor() const;
    // The whole face as drawn off-screen, before it is copied to the screen.
    QImage renderFace() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;
    void nextCheckState() override;

private:
    void fadeOneStep();
    void startTicker();
    void stopTicker();
    void releaseOthersInGroup();
    QList<TFlatSpeedButton *> groupMembers() const;
    bool looksDown() const;
    bool seeThrough() const;
    void drawFace(QPainter &p, const QRect &r) const;
    void drawContents(QPainter &p, const QRect &r) const;
    QImage glyphImage() const;

    QColor m_color;
    QColor m_colorWhenDown;
    QColor m_hotTrackColor;
    QColor m_lightColor = Qt::white;
    QColor m_shadowColor = Qt::black;
    QColor m_fontColor;
    QFont m_hotTrackFont;
    QColor m_hotTrackFontColor;
    TFlatButtonStyle m_style = bsModern;
    bool m_slowDecease = false;
    Qt::Alignment m_alignment = Qt::AlignHCenter;
    TButtonLayout m_layout = blGlyphLeft;
    bool m_wordWrap = false;
    QPixmap m_glyph;
    int m_numGlyphs = 1;
    bool m_flat = false;
    bool m_transparent = false;
    int m_groupIndex = 0;
    bool m_allowAllUp = false;

    bool m_hovered = false;
    int m_fadeStep = 0;
    std::unique_ptr<FadeTicker> m_ticker;
};

} // namespace dosarium
