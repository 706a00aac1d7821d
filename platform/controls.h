#pragma once
// Stand-ins for the few control behaviours the program relies on that Qt does differently:
// a status line with one simple text, a scrollbar whose change signal fires only when the stored
// (clamped) position changes, a timer whose enabling leaves a running interval alone, the
// processing of pending events, and an application object whose hook sees every typed character
// once, before the widget it is typed into.
#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>

#include <functional>

namespace kelvo {

class TStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TStatusBar(QWidget* parent = nullptr);
    QString SimpleText() const { return label_->text(); }
    void SetSimpleText(const QString& text) { label_->setText(text); }

private:
    QLabel* label_;
};

// Horizontal scrollbar whose change handler runs only when the stored (clamped) position changes.
// Moved by the user, the change is an event of its own and its handler runs guarded: an error
// there is shown and ends that handler alone. Moved by the program (SetPosition), the handler is
// a plain call, so an error in it travels up to the code that moved the scrollbar and ends it too.
class TScrollBar : public QScrollBar {
    Q_OBJECT
public:
    TScrollBar(int min, int max, int position, QWidget* parent = nullptr);
    int Position() const { return value(); }
    void SetPosition(int position);
    std::function<void()> OnChange;
};

// Repeating timer. Enabling a running timer does not restart its interval.
class TTimer : public QObject {
    Q_OBJECT
public:
    TTimer(int intervalMs, QObject* parent = nullptr);
    bool Enabled() const { return timer_.isActive(); }
    void SetEnabled(bool enabled);
    int Interval() const { return timer_.interval(); }
    int RemainingTime() const { return timer_.remainingTime(); }  // ms; -1 when off
signals:
    void Timer();

private:
    QTimer timer_;
};

// Runs every pending event handler and returns when none is left.
void ProcessMessages();
// Waits for at least one event, then runs every pending handler: for loops that wait on the user
// without spinning the processor.
void WaitAndProcessMessages();

// One character typed at the keyboard. AutoRepeat is set for the repeats of a held key.
struct TCharMessage {
    char32_t Char = 0;
    bool AutoRepeat = false;
};

// The application object. Its message hook sees each typed character exactly once, before the
// widget it is typed into, in every window; the hook never consumes it. Keys that type no
// character (Tab, Delete, combinations with Ctrl, Alt or Meta) never reach it.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);
    using MessageHook = std::function<void(const TCharMessage&)>;
    void SetMessageHook(MessageHook hook) { hook_ = std::move(hook); }
    bool notify(QObject* receiver, QEvent* event) override;

private:
    MessageHook hook_;
};

}  // namespace kelvo
