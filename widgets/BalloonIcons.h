#pragma once

// The three 32 x 32 icons a balloon hint can show, painted by the program itself: information
// (a blue disc with a white "i"), error (a red disc with a white cross) and warning (a yellow
// triangle with an exclamation mark).

#include <QImage>
#include <QString>

namespace dosarium::BalloonIcons {

inline constexpr int IconSize = 32;

// Resource name of an icon kind: 0 "INFO", 1 "ERROR", 2 "WARNING", anything else empty.
QString resourceName(int iconKind);

// The icon of a resource name; a null image for an empty or unknown name.
QImage icon(const QString &resourceName);

} // namespace dosarium::BalloonIcons
