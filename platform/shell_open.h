#pragma once
// The desktop shell's "open" of a document or URL: the desktop chooses the program that shows
// it, in a normal window of its own. The program hands the request over and never looks at the
// outcome (a missing page is the browser's to report). Tests put a recorder in its place.
#include <QString>

#include <functional>

class QWidget;

namespace kelvo {

using ShellOpenHandler = std::function<void(QWidget* owner, const QString& url)>;

// Asks the desktop to open `url`; `owner` is the window that asks.
void ShellOpen(QWidget* owner, const QString& url);

// Replaces the desktop (tests); an empty handler restores it.
void SetShellOpenHandler(ShellOpenHandler handler);

}  // namespace kelvo
