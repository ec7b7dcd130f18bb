// The splash window's logo: a folder holding scanned pages, 73 x 78 on a transparent ground.
#pragma once

#include <QPixmap>

namespace dosarium {

QPixmap splashLogo();

} // namespace dosarium
