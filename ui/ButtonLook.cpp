#include "ui/ButtonLook.h"

#include "widgets/FlatSpeedButton.h"
#include "widgets/GradientPanel.h"

#include <QDialog>

namespace dosarium {

QFont captionFont(int pixels)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(true);
    return font;
}

void paintNavy(TFlatSpeedButton *button, int captionPixels)
{
    button->setButtonStyle(TFlatSpeedButton::bsModern);
    button->setColor(QColor(0x00, 0x00, 0x80));
    button->setColorWhenDown(QColor(0x00, 0x00, 0x40));
    button->setHotTrackColor(QColor(0x40, 0x40, 0xFF));
    button->setLightColor(QColor(0x00, 0x00, 0xFF));
    button->setShadowColor(Qt::black);
    button->setFontColor(Qt::white);
    button->setHotTrackFontColor(Qt::white);
    button->setFont(captionFont(captionPixels));
    button->setHotTrackFont(captionFont(captionPixels));
    button->setSlowDecease(true);
    button->setCursor(Qt::PointingHandCursor);
}

TGradientPanel *headerBand(QWidget *window)
{
    auto *band = new TGradientPanel(window);
    band->setObjectName(QStringLiteral("Header"));
    band->setColorFrom(QColor(0xAC, 0xB8, 0xCC));
    band->setColorTo(Qt::white);
    band->setColorCount(64);
    band->setDirection(TGradientDirection::HCenterToEdges);
    return band;
}

void fixedDialog(QDialog *dialog, int width, int height, const QColor &ground)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint);
    dialog->setModal(true);
    dialog->setFixedSize(width, height);
    dialog->setAutoFillBackground(true);
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Window, ground);
    palette.setColor(QPalette::WindowText, Qt::white);
    dialog->setPalette(palette);
}

} // namespace dosarium
