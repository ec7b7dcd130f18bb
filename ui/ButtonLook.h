// The looks the program's windows share: the navy command buttons with white captions, the bold
// Arial captions of their labels, the shaded header band at the top of a window, and the fixed
// modal dialogs with white texts on a dark ground.
#pragma once

#include <QColor>
#include <QFont>

class QDialog;
class QWidget;

namespace dosarium {

class TFlatSpeedButton;
class TGradientPanel;

// Arial bold, `pixels` high.
QFont captionFont(int pixels);

// A flat navy button with a white caption and a hand cursor: pressed #000040, hot-track #4040FF,
// fading back slowly when the mouse leaves.
void paintNavy(TFlatSpeedButton *button, int captionPixels = 12);

// The header band: shaded from #ACB8CC at the horizontal centre to white at the edges, 64 steps.
TGradientPanel *headerBand(QWidget *window);

// A modal dialog of a fixed size with only a title and a close box, white texts on `ground`.
void fixedDialog(QDialog *dialog, int width, int height, const QColor &ground);

} // namespace dosarium
