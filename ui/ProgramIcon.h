// The program's icon, drawn in code at any size: a navy document folder with a coded sheet
// standing out of it. The windows carry it, and the installation writes it for the desktop menu.
#pragma once

#include <QImage>

namespace dosarium {

QImage programIcon(int size);

} // namespace dosarium
