// The 32 x 32 pictures of the message kinds: a yellow warning triangle, a red error disc, and
// blue speech bubbles with "i" and "?".
#pragma once

#include <QPixmap>

namespace dosarium {

// `picture`: 0 warning, 1 error, 2 information, 3 confirmation.
QPixmap kindPicture(int picture);

} // namespace dosarium
