#pragma once
// The one guard at the event boundary. Program code throws and never catches; every handler is
// connected through Guard, which shows the message of a std::exception in an error box captioned
// with the application title and returns to the event loop. Exceptions never cross Qt's frames:
// a handler that runs nested inside a send fails alone and the send goes on.
#include <QString>

#include <exception>
#include <functional>
#include <utility>

namespace kelvo {

inline constexpr const char* ApplicationTitle = "KORVAL morse tester";

// A silent exception: it ends the running handler like an error, but the guard shows nothing.
// Thrown once the main window is closed, so that a send or a drill turn in progress ends at once
// instead of sounding on with no window.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// Where error messages go. Tests install a recorder; an empty sink restores the error box.
using ErrorSink = std::function<void(const QString& message)>;
void SetErrorSink(ErrorSink sink);

// Shows `message` through the current sink (by default a modal error box).
void ReportError(const QString& message);

// Runs `f`, reporting any std::exception but EAbort (and anything else, as a generic message).
template <class F>
void RunGuarded(F&& f) noexcept {
    try {
        std::forward<F>(f)();
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        ReportError(QString::fromUtf8(e.what()));
    } catch (...) {
        ReportError(QStringLiteral("Unknown error"));
    }
}

// A slot that runs `f` guarded; the signal's arguments are not passed on.
template <class F>
auto Guard(F f) {
    return [f = std::move(f)]() noexcept { RunGuarded(f); };
}

}  // namespace kelvo
