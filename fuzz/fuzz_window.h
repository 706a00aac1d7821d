#pragma once
// The real main window for fuzz targets: created once, offscreen, with a capture device for its
// sound and a scratch folder as the current directory; errors go to a list instead of a box.
#include <QString>
#include <QStringList>

#include <functional>

namespace kelvo {
class TForm1;
}

namespace kelvo::fuzz {

// The window, created at the first call.
TForm1& Window();

// Runs `handler` as the event loop would, inside the guard; returns the messages it showed.
QStringList RunHandler(const std::function<void()>& handler);

// Replaces the file `name` in the current directory by exactly these bytes.
void WriteScratchFile(const QString& name, const char* data, std::size_t size);

}  // namespace kelvo::fuzz
