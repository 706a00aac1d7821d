#include "platform/shell_open.h"

#include <QDesktopServices>
#include <QUrl>

namespace kelvo {

namespace {
ShellOpenHandler& Handler() {
    static ShellOpenHandler handler;
    return handler;
}
}  // namespace

void SetShellOpenHandler(ShellOpenHandler handler) { Handler() = std::move(handler); }

void ShellOpen(QWidget* owner, const QString& url) {
    if (Handler()) {
        Handler()(owner, url);
        return;
    }
    // The desktop starts the browser detached; it needs no owner window, and its answer is not
    // the program's concern.
    QDesktopServices::openUrl(QUrl(url, QUrl::TolerantMode));
}

}  // namespace kelvo
