#include "ui/MessageKinds.h"

namespace dosarium {

namespace {

constexpr int kButtonWidth = 73;
constexpr int kSpreadWidth = 342;

QColor rgb(QRgb value)
{
    return QColor(value);
}

} // namespace

MessageKindStyle messageKindStyle(quint8 kind)
{
    switch (kind) {
    case kKindWarning:
        return {kKindWarning,  QStringLiteral("Atentie !"),
                rgb(0xB7B18A), rgb(0x383623),
                rgb(0x2C291B), rgb(0x070705),
                rgb(0x737753), rgb(0xDEDFD2),
                rgb(0x000000)};
    case kKindInformation:
        return {kKindInformation, QStringLiteral("Informatie"),
                rgb(0xE1DEFA),    rgb(0x0000BB),
                rgb(0x0000FF),    rgb(0x000093),
                rgb(0x9D9DFF),    rgb(0xDFDFFF),
                rgb(0xFFFFFF)};
    case kKindConfirmation:
        return {kKindConfirmation, QStringLiteral("Confirmare"),
                rgb(0x81A2D3),     rgb(0x365F9C),
                rgb(0x3966A8),     rgb(0x000093),
                rgb(0x7196CE),     rgb(0xECF1F9),
                rgb(0x000000)};
    default:
        return {kKindError,    QStringLiteral("Eroare"),
                rgb(0xFFD5D5), rgb(0xFF0000),
                rgb(0xFF0000), rgb(0xA60000),
                rgb(0xFF9B9B), rgb(0xFFD9D9),
                rgb(0xFFFFFF)};
    }
}

QList<MessageButton> visibleButtons(quint16 buttons)
{
    QList<MessageButton> shown;
    if (buttons & kButtonDa)
        shown << MessageButton::Da;
    if (buttons & kButtonNu)
        shown << MessageButton::Nu;
    if (buttons & kButtonRenunt)
        shown << MessageButton::Renunt;
    if (buttons & kButtonOk)
        shown << MessageButton::Ok;
    return shown;
}

QList<int> buttonLefts(int n)
{
    QList<int> lefts;
    if (n <= 0)
        return lefts;
    const int gap = (kSpreadWidth - kButtonWidth * n) / (n + 1);
    for (int k = 1; k <= n; ++k)
        lefts << k * gap + (k - 1) * kButtonWidth;
    return lefts;
}

} // namespace dosarium
