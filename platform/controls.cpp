#include "platform/controls.h"

#include "platform/guard.h"

#include <QKeyEvent>
#include <QSignalBlocker>

namespace kelvo {

TStatusBar::TStatusBar(QWidget* parent) : QStatusBar(parent), label_(new QLabel(this)) {
    setSizeGripEnabled(false);
    addWidget(label_, 1);
}

TScrollBar::TScrollBar(int min, int max, int position, QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
    setRange(min, max);
    setSingleStep(1);
    setPageStep(1);
    setValue(position);
    // Connected after the design position is in place, so building the window runs no handler.
    // SetPosition keeps this signal quiet; what still arrives here is the user's own move.
    connect(this, &QScrollBar::valueChanged, this, [this] {
        if (OnChange) RunGuarded(OnChange);
    });
}

void TScrollBar::SetPosition(int position) {
    const int before = value();
    {
        const QSignalBlocker quiet(this);
        setValue(position);
    }
    if (value() != before && OnChange) OnChange();
}

TTimer::TTimer(int intervalMs, QObject* parent) : QObject(parent) {
    timer_.setInterval(intervalMs);
    timer_.setTimerType(Qt::PreciseTimer);  // the drill counts whole seconds of answer time
    connect(&timer_, &QTimer::timeout, this, &TTimer::Timer);
}

void TTimer::SetEnabled(bool enabled) {
    if (!enabled)
        timer_.stop();
    else if (!timer_.isActive())
        timer_.start();
}

void ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void WaitAndProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents); }

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

namespace {

// Whether a key press types characters. Tab moves the focus, Delete deletes, and a combination
// with Ctrl, Alt or Meta is a command: none of them is a typed character, although Qt gives them
// a text (a tab, DEL, a control code or the plain letter).
bool TypesCharacters(const QKeyEvent& key) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    switch (key.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return false;
    default:
        return true;
    }
}

}  // namespace

bool TApplication::notify(QObject* receiver, QEvent* event) {
    // Qt hands an ignored key event on to the parent widgets inside this same call; looking at
    // it only here, at the first receiver, scores each character once.
    if (hook_ && event->type() == QEvent::KeyPress && receiver->isWidgetType()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (TypesCharacters(*key))
            for (const char32_t c : key->text().toUcs4()) RunGuarded([&] { hook_({c, key->isAutoRepeat()}); });
    }
    return QApplication::notify(receiver, event);
}

}  // namespace kelvo
