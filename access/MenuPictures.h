// The pictures above the captions of the main window's menu buttons, drawn in code.
#pragma once

#include <QPixmap>

namespace dosarium::MenuPictures {

inline constexpr int Size = 32;

QPixmap archive();  // a filing drawer with documents
QPixmap settings(); // a gear wheel and a wrench
QPixmap exit();     // an open door with an arrow leaving through it

} // namespace dosarium::MenuPictures
