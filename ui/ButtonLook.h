// The looks the program's windows share: the navy command buttons with white captions, and the
// bold Arial captions of their labels.
#pragma once

#include <QFont>

namespace dosarium {

class TFlatSpeedButton;

// Arial bold, `pixels` high.
QFont captionFont(int pixels);

// A flat navy button with a white caption and a hand cursor: pressed #000040, hot-track #4040FF,
// fading back slowly when the mouse leaves.
void paintNavy(TFlatSpeedButton *button, int captionPixels = 12);

} // namespace dosarium
