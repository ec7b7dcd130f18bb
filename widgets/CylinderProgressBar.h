// TCylinderProgressBar: a progress bar whose colour runs from a start colour to a final colour
// along its length and which, as a cylinder, is shaded across its thickness like a lit glass or
// metal rod; it can be split into blocks, show its unfilled part and carry a caption.
#pragma once

#include "widgets/CylinderShading.h"

#include <QColor>
#include <QString>
#include <QWidget>

namespace dosarium {

class TCylinderProgressBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(dosarium::TBarOrientation orientation READ orientation WRITE setOrientation)
    Q_PROPERTY(dosarium::TBarKind barKind READ barKind WRITE setBarKind)
    Q_PROPERTY(dosarium::TBarLook barLook READ barLook WRITE setBarLook)
    Q_PROPERTY(bool roundCorner READ roundCorner WRITE setRoundCorner)
    Q_PROPERTY(bool shaped READ shaped WRITE setShaped)
    Q_PROPERTY(QColor shapeColor READ shapeColor WRITE setShapeColor)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)
    // Declared before the two colours it sets, so that settings applied in this order keep a
    // final colour given after it; not stored, the two colours are.
    Q_PROPERTY(QColor barColor READ barColor WRITE setBarColor STORED false)
    Q_PROPERTY(QColor startColor READ startColor WRITE setStartColor)
    Q_PROPERTY(QColor finalColor READ finalColor WRITE setFinalColor)
    Q_PROPERTY(bool showInactivePos READ showInactivePos WRITE setShowInactivePos)
    Q_PROPERTY(QColor inactivePosColor READ inactivePosColor WRITE setInactivePosColor)
    Q_PROPERTY(bool invertInactPos READ invertInactPos WRITE setInvertInactPos)
    Q_PROPERTY(int blockSize READ blockSize WRITE setBlockSize)
    Q_PROPERTY(int spaceSize READ spaceSize WRITE setSpaceSize)
    Q_PROPERTY(bool showFullBlock READ showFullBlock WRITE setShowFullBlock)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int position READ position WRITE setPosition)
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(Qt::Alignment captionAlign READ captionAlign WRITE setCaptionAlign)
    Q_PROPERTY(bool AutoCaption READ AutoCaption WRITE setAutoCaption)
    Q_PROPERTY(bool ShowPosAsPct READ ShowPosAsPct WRITE setShowPosAsPct)
    Q_PROPERTY(bool AutoHint READ AutoHint WRITE setAutoHint)

public:
    explicit TCylinderProgressBar(QWidget *parent = nullptr);

    TBarOrientation orientation() const { return m_orientation; }
    TBarKind barKind() const { return m_barKind; }
    TBarLook barLook() const { return m_barLook; }
    bool roundCorner() const { return m_roundCorner; }
    bool shaped() const { return m_shaped; }
    QColor shapeColor() const { return QColor(m_shapeColor); }
    QColor backgroundColor() const { return QColor(m_backgroundColor); }
    QColor startColor() const { return QColor(m_startColor); }
    QColor finalColor() const { return QColor(m_finalColor); }
    // The bar colour reads as the start colour.
    QColor barColor() const { return startColor(); }
    bool showInactivePos() const { return m_showInactivePos; }
    QColor inactivePosColor() const { return QColor(m_inactivePosColor); }
    bool invertInactPos() const { return m_invertInactPos; }
    int blockSize() const { return m_blockSize; }
    int spaceSize() const { return m_spaceSize; }
    bool showFullBlock() const { return m_showFullBlock; }
    int maximum() const { return m_maximum; }
    int position() const { return m_position; }
    QString caption() const { return m_caption; }
    Qt::Alignment captionAlign() const { return m_captionAlign; }
    bool AutoCaption() const { return m_autoCaption; }
    bool ShowPosAsPct() const { return m_showPosAsPct; }
    bool AutoHint() const { return m_autoHint; }

    // Every setter repaints on a change; a value equal to the current one changes nothing.
    void setOrientation(TBarOrientation orientation);
    void setBarKind(TBarKind kind);
    void setBarLook(TBarLook look);
    // Outline corner radius 5 when true, square when false.
    void setRoundCorner(bool round);
    // Whether the outline is drawn, filled with backgroundColor; without it nothing is drawn
    // under the bar and what lies beneath the control shows through.
    void setShaped(bool shaped);
    void setShapeColor(const QColor &color);
    void setBackgroundColor(const QColor &color);
    void setStartColor(const QColor &color);
    void setFinalColor(const QColor &color);
    // Sets the start and the final colour together.
    void setBarColor(const QColor &color);
    void setShowInactivePos(bool show);
    void setInactivePosColor(const QColor &color);
    void setInvertInactPos(bool invert);
    // Blocks are used only when both sizes are above 0.
    void setBlockSize(int size);
    void setSpaceSize(int size);
    void setShowFullBlock(bool show);
    // Below 0 is taken as 0; with 0 the bar is empty and positions are only stored.
    void setMaximum(int maximum);
    // Positions above the maximum are cut to it. Repaints only when the painted fill or the
    // automatic caption changes.
    void setPosition(int position);
    void setCaption(const QString &caption);
    // Qt::AlignLeft, Qt::AlignHCenter or Qt::AlignRight.
    void setCaptionAlign(Qt::Alignment align);
    // The caption follows the position.
    void setAutoCaption(bool on);
    // The automatic caption and hint show the percentage instead of the position.
    void setShowPosAsPct(bool on);
    // The hint (tool tip) follows the position.
    void setAutoHint(bool on);

    // Border width and margin for the current thickness, the usable length and the last filled
    // pixel along the bar (0 when empty), counted from the start of the bar.
    int borderWidth() const;
    int margin() const;
    int usableLength() const;
    int filledEnd() const { return m_filledEnd; }

    QSize sizeHint() const override { return {64, 16}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    int barLength() const;
    int thickness() const;
    // Recomputes the filled part, the automatic caption and hint for the stored position, and
    // repaints when what is painted changes.
    void applyPosition();
    CylinderBlocks blockLayout() const;
    // The last column the fill paints: a gap between blocks, and with showFullBlock a block the
    // fill does not reach whole, paint nothing; margin() - 2 when nothing is painted.
    int drawnFillEnd() const;
    void drawBar(QImage &image) const;
    void drawCaption(QPainter &painter) const;
    template <typename T> void assign(T &member, const T &value);

    TBarOrientation m_orientation = boHorizontal;
    TBarKind m_barKind = bkFlat;
    TBarLook m_barLook = blMetal;
    bool m_roundCorner = true;
    bool m_shaped = true;
    QRgb m_shapeColor = qRgb(0x00, 0x3C, 0x74);
    QRgb m_backgroundColor = qRgb(0xFF, 0xFF, 0xFF);
    QRgb m_startColor = qRgb(0x00, 0xFF, 0x00);
    QRgb m_finalColor = qRgb(0x00, 0xFF, 0x00);
    bool m_showInactivePos = false;
    QRgb m_inactivePosColor = qRgb(0x80, 0x80, 0x80);
    bool m_invertInactPos = false;
    int m_blockSize = 0;
    int m_spaceSize = 0;
    bool m_showFullBlock = false;
    int m_maximum = 100;
    int m_position = 0;
    QString m_caption;
    Qt::Alignment m_captionAlign = Qt::AlignLeft;
    bool m_autoCaption = false;
    bool m_showPosAsPct = false;
    bool m_autoHint = false;
    int m_filledEnd = 0;
};

} // namespace dosarium
