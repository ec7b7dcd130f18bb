// Opening a file with the viewer the desktop has for its type, without waiting for it and
// without a report when the desktop has none; a test seam takes the request instead.
#pragma once

#include <QString>
#include <functional>

namespace dosarium {

void openDocument(const QString &path);

// Test seam: while set, the hook receives the path instead of the desktop. Returns the
// previous hook.
using ViewerHook = std::function<void(const QString &path)>;
ViewerHook setViewerHook(ViewerHook hook);

} // namespace dosarium
