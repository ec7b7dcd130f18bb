#include "ui/DocumentViewer.h"

#include "platform/Desktop.h"

#include <QDesktopServices>
#include <QUrl>

namespace dosarium {

namespace {

ViewerHook &viewerHook()
{
    static ViewerHook hook;
    return hook;
}

} // namespace

void openDocument(const QString &path)
{
    if (const ViewerHook &hook = viewerHook()) {
        hook(path);
        return;
    }
    // The desktop's answer is not examined: without a viewer nothing opens.
    if (openWithAssociatedProgram(path))
        return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

ViewerHook setViewerHook(ViewerHook hook)
{
    return std::exchange(viewerHook(), std::move(hook));
}

} // namespace dosarium
