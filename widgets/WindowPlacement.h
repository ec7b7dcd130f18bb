// Placing the program's top-level windows.
#pragma once

#include <QRect>

class QWidget;

namespace dosarium {

// Centres the window, frame included, over `area`; over the primary screen's free area when
// `area` is empty.
void centreWindow(QWidget *window, const QRect &area = QRect());

} // namespace dosarium
