// A window sees every key of its controls before they do: the handler decides, for each key
// pressed in the window, whether it acts on it (and the key goes no further) or not.
#pragma once

#include <functional>

class QKeyEvent;
class QWidget;

namespace dosarium {

using KeyPreviewHandler = std::function<bool(QWidget *source, QKeyEvent *event)>;

// Installs the handler on `window` and on every control it holds now.
void installKeyPreview(QWidget *window, KeyPreviewHandler handler);

} // namespace dosarium
