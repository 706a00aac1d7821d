// A seeded soak of the real window: thousands of random actions (clicks on whatever button is
// enabled and shown, every menu command, scrollbar moves to any position, typing anything into
// any box, sends, pauses, aborts, drill starts and stops, practice loads, settings files, the side
// windows), many of them landing inside a send or a drill character as a learner's would. After
// every action the drill's invariants must hold and every error must have reached the error sink
// as one of the learner's messages. A watchdog ends a hung run. On failure the seed and the
// action log are printed: KELVO_SOAK_SEED=<seed> runs the same choices again (the timing of the
// sound device may still place them differently inside a send). KELVO_SOAK_ACTIONS sets the
// length of the run.
#include "gui_fixture.h"
#include "platform/dialogs.h"
#include "platform/shell_open.h"
#include "platform/wave_out_capture.h"
#include "teaching/drill_model.h"
#include "ui/main/form1.h"
#include "ui/side/about_box.h"
#include "ui/side/notepad.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <thread>

using namespace kelvo;

namespace {

constexpr int DefaultActions = 3000;
// A send started inside a send inside a send is far enough; deeper ones only grow the stack.
constexpr int DeepestNestedSend = 3;
// No action may hold the event loop this long; the whole run must end within the second limit
// (the test's own time limit is 300 s).
constexpr auto StallLimit = std::chrono::seconds(60);
constexpr auto RunLimit = std::chrono::seconds(240);

// The messages a learner may see; anything else is a fault that reached the error box.
const QRegularExpression LearnerMessage(
    QStringLiteral("^('.*' is not a valid integer value|'.*' is not a valid floating point value"
                   "|Cannot open file .*|Cannot create file .*|Floating point division by zero"
                   "|Invalid floating point operation|'.*' Hz is not a valid audio frequency: it cannot be negative"
                   "|'.*' words per minute is not a valid speed: it cannot be negative"
                   "|Enter at least two different characters to generate groups\\.)$"),
    QRegularExpression::DotMatchesEverythingOption);

// The message with the quoted text or file name taken out, to count messages by kind.
QString MessageKind(const QString& message) {
    QString kind = message;
    kind.replace(QRegularExpression(QStringLiteral("'.*'"), QRegularExpression::DotMatchesEverythingOption),
                 QStringLiteral("'…'"));
    kind.replace(QRegularExpression(QStringLiteral("^(Cannot (open|create) file) .*$"),
                                    QRegularExpression::DotMatchesEverythingOption),
                 QStringLiteral("\\1 …"));
    return kind;
}

// Texts typed into boxes: numbers in and far out of every range, words, nothing, other scripts.
const QStringList TypedTexts = {
    QStringLiteral(""), QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("5"), QStringLiteral("14"),
    QStringLiteral("20"), QStringLiteral("35"), QStringLiteral("40"), QStringLiteral("41"), QStringLiteral("800"),
    QStringLiteral("949"), QStringLiteral("950"), QStringLiteral("951"), QStringLiteral("-1"), QStringLiteral("-40"),
    QStringLiteral("-2147483648"), QStringLiteral("2147483647"), QStringLiteral("99999999999"),
    QStringLiteral("7.5"), QStringLiteral("7,5"), QStringLiteral("1e3"), QStringLiteral(" 12"), QStringLiteral("+3"),
    QStringLiteral("jq"), QStringLiteral("JQ"), QStringLiteral("abc"), QStringLiteral("q7zg"), QStringLiteral("a"),
    QStringLiteral("aaaa"), QStringLiteral("ab"), QStringLiteral("CQ CQ DE Q1ABC"), QStringLiteral("@@@"),
    QStringLiteral("é ü ß"), QStringLiteral("Ωμέγα"), QStringLiteral("日本語"), QStringLiteral("😀 ok"),
    QStringLiteral("ő"), QStringLiteral("a\u00a0b"), QStringLiteral("line\u2028break"), QStringLiteral("tab\there"),
    QString(2000, QLatin1Char('e')), QString(300, QChar(0x263A)),
};

// Files the open dialog may answer with.
const QStringList OpenAnswers = {QStringLiteral("plain.txt"), QStringLiteral("latin1.txt"), QStringLiteral("empty.txt"),
                                 QStringLiteral("long.txt"),  QStringLiteral("folder"),     QStringLiteral("missing.txt"),
                                 QStringLiteral("Kelvoinit.txt")};

// Settings files written just before a load.
const QList<QByteArray> SettingsFiles = {
    "1\r\n5\r\n14\r\n800\r\n1\r\n", "jq\n10\n50\n\n", "abc\r\n3\r\nx", "7\r\n20\r\n35\r\n1000\r\n40\r\n",
    "0\r\n-5\r\n99999999999\r\n", "", "\xff\xfe\x00\x01", "950\r\n3\r\n12\r\n500\r\n-3\r\n", "1\r\n2\r\n3\r\n4\r\n0\r\n",
};

}  // namespace

class SoakTest : public QObject {
    Q_OBJECT
private slots:
    void randomActionsKeepTheWindowSound();

private:
    // ---- the run ----
    void Step();
    void Act();
    void Finish();
    void Check(const QString& after);
    void Fail(const QString& why);
    void Log(const QString& entry);
    QString ActionLog();

    // ---- actions ----
    template <class T>
    QList<T*> Usable();
    QString ClickButton();
    QString TriggerMenu();
    QString MoveScrollBar();
    QString TypeIntoBox();
    QString TickCheckBox();
    QString TypeAnswer();
    QString Compound();
    void TypeText(QWidget* widget, const QString& text);
    void PressEnter(QWidget* widget);
    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    template <class T>
    const T& PickFrom(const QList<T>& list) { return list[Pick(static_cast<int>(list.size()))]; }

    std::uint32_t seed = 0;
    std::mt19937 rng;
    int actions = DefaultActions;
    int done = 0;
    int depth = 0;
    int sendDepth = 0;
    int idleRuns = 0;
    bool finishing = false;
    QString failure;
    QEventLoop* loop = nullptr;

    std::unique_ptr<test::ScopedWorkDir> dir;
    std::unique_ptr<test::ErrorRecorder> errors;
    std::shared_ptr<WaveOutCapture> capture;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm2> notepad;
    std::unique_ptr<TAboutBox> about;
    int errorsSeen = 0;
    std::map<QString, int> errorKinds;
    int shellOpens = 0;

    std::mutex logMutex;
    QStringList log;
    std::atomic<int> progress{0};
};

void SoakTest::randomActionsKeepTheWindowSound() {
    // The offscreen platform warns at every raise() of a side window; thousands of those would
    // bury the log.
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (!text.startsWith(QLatin1String("This plugin does not support"))) previous(type, context, text);
    });
    const QByteArray seedText = qgetenv("KELVO_SOAK_SEED");
    seed = seedText.isEmpty() ? std::random_device{}() : seedText.toUInt();
    rng.seed(seed);
    if (const int n = qEnvironmentVariableIntValue("KELVO_SOAK_ACTIONS"); n > 0) actions = n;
    std::printf("soak: seed %u, %d actions\n", seed, actions);
    std::fflush(stdout);

    // A scratch folder with the practice blocks and the files the open dialog may answer with.
    dir = std::make_unique<test::ScopedWorkDir>();
    const QString data = qEnvironmentVariable("KELVO_SOURCE_DIR") + QStringLiteral("/data/");
    for (int k = 0; k <= 9; ++k) QVERIFY(QFile::copy(data + QStringLiteral("P%1").arg(k), QStringLiteral("P%1").arg(k)));
    test::WriteFile(QStringLiteral("plain.txt"), "CQ CQ DE Q1ABC\r\nPSE K\r\n");
    test::WriteFile(QStringLiteral("latin1.txt"), "caf\xe9 \xfc\xdf\r\n");
    test::WriteFile(QStringLiteral("empty.txt"), "");
    test::WriteFile(QStringLiteral("long.txt"), QByteArray("PARIS ").repeated(3000));
    QVERIFY(QDir().mkdir(QStringLiteral("folder")));

    // Every modal dialog is answered by its stub; the error box is a recorder.
    errors = std::make_unique<test::ErrorRecorder>();
    TOpenDialog::SetTestAnswer([this](const TOpenDialog&) -> std::optional<QString> {
        if (Pick(5) == 0) return std::nullopt;
        return PickFrom(OpenAnswers);
    });
    TFontDialog::SetTestAnswer([this](const TFontDialog& dialog) -> std::optional<QFont> {
        if (Pick(2) == 0) return std::nullopt;
        QFont font = dialog.Font;
        font.setPointSize(6 + Pick(40));
        return font;
    });
    SetShellOpenHandler([this](QWidget*, const QString&) { ++shellOpens; });

    // Buffers complete after their play time, so sends run at the pace a sound card sets.
    capture = test::UseCaptureDevice(WaveOutCapture::Completion::PlayTime);
    form = std::make_unique<TForm1>();
    notepad = std::make_unique<TForm2>();
    about = std::make_unique<TAboutBox>();
    form->Form2 = notepad.get();
    form->AboutBox = about.get();
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));

    // The watchdog: a run that stops making progress, or takes too long, is ended with its log.
    std::mutex watchMutex;
    std::condition_variable watchStop;
    bool stopped = false;
    std::thread watchdog([&] {
        const auto start = std::chrono::steady_clock::now();
        auto lastChange = start;
        int lastProgress = -1;
        std::unique_lock lock(watchMutex);
        while (!watchStop.wait_for(lock, std::chrono::seconds(1), [&] { return stopped; })) {
            const auto now = std::chrono::steady_clock::now();
            if (progress != lastProgress) {
                lastProgress = progress;
                lastChange = now;
            }
            if (now - lastChange > StallLimit || now - start > RunLimit) {
                std::fprintf(stderr, "soak: no progress or out of time (seed %u)\n%s\n", seed,
                             qPrintable(ActionLog()));
                std::fflush(stderr);
                std::abort();
            }
        }
    });

    QEventLoop running;
    loop = &running;
    QTimer::singleShot(0, this, [this] { Step(); });
    running.exec();
    loop = nullptr;
    {
        std::lock_guard lock(watchMutex);
        stopped = true;
    }
    watchStop.notify_all();
    watchdog.join();

    std::printf("soak: %d actions, %.1f s of sound, %d errors shown, %d help pages opened\n", done,
                capture->QueuedCount() * double(test::BufferLength) / MainSampRate, errorsSeen, shellOpens);
    for (const auto& [kind, count] : errorKinds) std::printf("soak:   %5d x %s\n", count, qPrintable(kind));
    std::fflush(stdout);
    if (!failure.isEmpty()) QFAIL(qPrintable(QStringLiteral("seed %1: %2\n%3").arg(seed).arg(failure, ActionLog())));

    // Closing ends the program: no send is left running and the sound device is released.
    form->close();
    QVERIFY(!form->Sending);
    form.reset();
    about.reset();
    notepad.reset();
    QCOMPARE(capture->OpenCount(), 0);
    qInstallMessageHandler(previous);
    TOpenDialog::SetTestAnswer({});
    TFontDialog::SetTestAnswer({});
    SetShellOpenHandler({});
    errors.reset();
    dir.reset();
}

// One link of the chain: the next step is scheduled before this one acts, so that it runs nested
// inside a send or a drill character when this action starts one.
void SoakTest::Step() {
    ++progress;
    if (!failure.isEmpty() || done >= actions) {
        Finish();
        return;
    }
    // Between two actions the event loop runs a random number of times (inside a send each run
    // is one sample); now and then, when no send is running, long enough for the drill's timers
    // to tick. Sends take the time their sound takes, since the device plays in real time.
    if (idleRuns > 0) {
        --idleRuns;
        QTimer::singleShot(0, this, [this] { Step(); });
        return;
    }
    idleRuns = Pick(3) == 0 ? Pick(200) : 0;
    const int wait = !form->Sending && Pick(100) == 0 ? 100 + Pick(600) : 0;
    QTimer::singleShot(wait, this, [this] { Step(); });
    ++done;
    ++depth;
    Act();
    --depth;
}

void SoakTest::Act() {
    QString action;
    // A learner stops a send long before a long text ends; without this the run would mostly
    // wait for the sound of long texts.
    if (form->Sending && form->AbortButton->isEnabled() && Pick(8) == 0) {
        Log(QStringLiteral("click AbortButton while sending"));
        form->AbortButton->click();
        return Check(QStringLiteral("abort done"));
    }
    switch (Pick(20)) {
        case 0: case 1: case 2: case 3: action = ClickButton(); break;
        case 4: case 5: action = TriggerMenu(); break;
        case 6: case 7: action = MoveScrollBar(); break;
        case 8: case 9: case 10: action = TypeIntoBox(); break;
        case 11: action = TickCheckBox(); break;
        case 12: case 13: case 14: action = TypeAnswer(); break;
        default: action = Compound(); break;
    }
    if (done % 200 == 0) capture->ClearSamples();
    Check(action);
}

// Ends what is still running, waits for nested sends to unwind, then stops the run.
void SoakTest::Finish() {
    if (!finishing) {
        finishing = true;
        Log(QStringLiteral("finish: stop the drill, unpause, abort"));
    }
    if (form->DrillMode) form->KelvoStopButton->click();
    if (form->Paused) form->Button2->click();
    if (form->Sending) form->AbortButton->click();
    if (depth == 0) {
        if (loop) loop->quit();
        return;
    }
    QTimer::singleShot(10, this, [this] { Step(); });
}

void SoakTest::Check(const QString& after) {
    Log(QStringLiteral("#%1 [depth %2] %3").arg(done).arg(depth).arg(after));
    const TDrillModel& d = form->Drill;
    if (form->DrillRunning) {
        if (d.CharsInUse < 1 || d.CharsInUse > DrillAlphabetSize)
            return Fail(QStringLiteral("characters in use %1").arg(d.CharsInUse));
        if (d.CurrentIndex < 1 || d.CurrentIndex > d.CharsInUse)
            return Fail(QStringLiteral("current index %1 of %2").arg(d.CurrentIndex).arg(d.CharsInUse));
    }
    // Before the first Start Kelvo every weight is 0; from then on each sits on a level.
    if (d.MaxChars != 0) {
        for (int i = 1; i <= DrillAlphabetSize; ++i) {
            const double w = d.ErrorWeights[static_cast<std::size_t>(i)];
            const double level = std::round(w * 5) / 5;
            if (std::abs(w - level) > 1e-9 || level < 0.2 || level > 1.0)
                return Fail(QStringLiteral("weight %1 of '%2' is off the levels").arg(w).arg(QChar::fromLatin1(d.DrillOrder[i - 1])));
        }
    }
    for (; errorsSeen < errors->Messages.size(); ++errorsSeen) {
        const QString& message = errors->Messages[errorsSeen];
        ++errorKinds[MessageKind(message)];
        if (!LearnerMessage.match(message).hasMatch()) return Fail(QStringLiteral("error box showed: ") + message);
    }
}

void SoakTest::Fail(const QString& why) {
    if (failure.isEmpty()) failure = why;
}

void SoakTest::Log(const QString& entry) {
    std::lock_guard lock(logMutex);
    log << entry;
}

QString SoakTest::ActionLog() {
    std::lock_guard lock(logMutex);
    return log.join(QLatin1Char('\n'));
}

// The widgets of this kind in every window that a learner could reach now.
template <class T>
QList<T*> SoakTest::Usable() {
    QList<T*> found;
    for (QWidget* window : {static_cast<QWidget*>(form.get()), static_cast<QWidget*>(notepad.get()),
                            static_cast<QWidget*>(about.get())})
        for (T* w : window->findChildren<T*>())
            if (w->isVisible() && w->isEnabled()) found << w;
    return found;
}

QString SoakTest::ClickButton() {
    QList<QPushButton*> buttons = Usable<QPushButton>();
    // Deep nesting grows the stack and nothing else; a send is started only this deep.
    if (sendDepth >= DeepestNestedSend) buttons.removeAll(form->Sendbutton);
    if (buttons.isEmpty()) return QStringLiteral("no button to click");
    QPushButton* button = PickFrom(buttons);
    const QString what = QStringLiteral("click %1 \"%2\"").arg(button->objectName(), button->text());
    Log(what);
    const bool send = button == form->Sendbutton;
    sendDepth += send;
    button->click();
    sendDepth -= send;
    return what + QStringLiteral(" done");
}

QString SoakTest::TriggerMenu() {
    QList<QAction*> commands;
    for (QMenu* menu : form->menuBar()->findChildren<QMenu*>())
        for (QAction* a : menu->actions())
            if (a->isEnabled() && !a->isSeparator() && !a->menu()) commands << a;
    QAction* a = PickFrom(commands);
    const QString what = QStringLiteral("menu %1").arg(a->text());
    Log(what);
    a->trigger();
    return what + QStringLiteral(" done");
}

QString SoakTest::MoveScrollBar() {
    const QList<QScrollBar*> bars = form->findChildren<QScrollBar*>();
    QScrollBar* bar = PickFrom(bars);
    const int span = bar->maximum() - bar->minimum();
    const int to = bar->minimum() - 10 + Pick(span + 21);
    const QString what = QStringLiteral("scroll %1 to %2").arg(bar->objectName()).arg(to);
    Log(what);
    if (Pick(4) == 0)
        bar->triggerAction(PickFrom(QList<QAbstractSlider::SliderAction>{
            QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderSingleStepSub,
            QAbstractSlider::SliderPageStepAdd, QAbstractSlider::SliderPageStepSub, QAbstractSlider::SliderToMinimum,
            QAbstractSlider::SliderToMaximum}));
    else
        bar->setValue(to);
    return what + QStringLiteral(" done");
}

QString SoakTest::TypeIntoBox() {
    QList<QWidget*> boxes;
    // A spin box's own line edit is reached only through the spin box, as a learner reaches it.
    for (auto* w : Usable<QLineEdit>())
        if (!w->isReadOnly() && !qobject_cast<QAbstractSpinBox*>(w->parentWidget())) boxes << w;
    for (auto* w : Usable<QPlainTextEdit>()) boxes << w;
    for (auto* w : Usable<QSpinBox>()) boxes << w;
    if (boxes.isEmpty()) return QStringLiteral("no box to type into");
    QWidget* box = PickFrom(boxes);
    const QString text = PickFrom(TypedTexts);
    const bool replace = Pick(2) == 0;
    const bool enter = Pick(3) == 0;
    const QString what = QStringLiteral("%1 %2 \"%3\"%4")
                             .arg(replace ? QStringLiteral("set") : QStringLiteral("type"), box->objectName(),
                                  text.left(40), enter ? QStringLiteral(" + Enter") : QString());
    Log(what);
    if (replace) {
        if (auto* line = qobject_cast<QLineEdit*>(box)) line->setText(text);
        else if (auto* memo = qobject_cast<QPlainTextEdit*>(box)) memo->setPlainText(text);
        // A spin box takes only what its validator lets through, pasted or typed: no text of
        // its own can be set past it.
        else if (auto* spin = qobject_cast<QSpinBox*>(box)) {
            spin->setFocus();
            spin->selectAll();
            TypeText(spin, text.left(60));
        }
    } else {
        box->setFocus();
        TypeText(box, text.left(60));
    }
    if (enter) PressEnter(box);
    return what + QStringLiteral(" done");
}

QString SoakTest::TickCheckBox() {
    const QList<QCheckBox*> boxes = Usable<QCheckBox>();
    if (boxes.isEmpty()) return QStringLiteral("no check box");
    QCheckBox* box = PickFrom(boxes);
    const QString what = QStringLiteral("tick %1").arg(box->objectName());
    Log(what);
    box->click();
    return what + QStringLiteral(" done");
}

// An answer to the drill, typed at the window as the learner types while listening.
QString SoakTest::TypeAnswer() {
    const char c = Pick(4) == 0 ? static_cast<char>(' ' + Pick(95)) : DrillOrderText[Pick(DrillAlphabetSize)];
    const QString text(QChar::fromLatin1(c));
    const QString what = QStringLiteral("answer '%1'").arg(text);
    Log(what);
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : form.get();
    TypeText(target, Pick(5) == 0 ? text.toUpper() : text);
    return what + QStringLiteral(" done");
}

// Steps a learner takes together: a number and its button, a text and Send, a settings file.
QString SoakTest::Compound() {
    QString what;
    switch (Pick(8)) {
        case 0:
            what = QStringLiteral("practice text");
            Log(what);
            form->Edit1->setText(QString::number(Pick(960) - 5));
            form->Button1->click();
            break;
        case 1:
            what = QStringLiteral("start drill");
            Log(what);
            form->StartNumEdit->setText(QString::number(Pick(45) - 2));
            if (form->Kelvobutton->isEnabled()) form->Kelvobutton->click();
            if (form->KelvoSendButton->isEnabled()) form->KelvoSendButton->click();
            break;
        case 2:
            what = QStringLiteral("stop drill");
            Log(what);
            if (form->KelvoStopButton->isEnabled()) form->KelvoStopButton->click();
            break;
        case 3:
            what = QStringLiteral("write and load settings");
            Log(what);
            test::WriteFile(QStringLiteral("Kelvoinit.txt"), PickFrom(SettingsFiles));
            form->LoadEnv1->trigger();
            break;
        case 4:
            what = QStringLiteral("short send");
            Log(what);
            if (form->Sendbutton->isEnabled() && sendDepth < DeepestNestedSend) {
                TForm1::SetMemoText(form->Memo1, PickFrom(QStringList{QStringLiteral("E T"), QStringLiteral("ab"),
                                                                      QStringLiteral("@@"), QStringLiteral("SOS")}));
                ++sendDepth;
                form->Sendbutton->click();
                --sendDepth;
            }
            break;
        case 5:
            what = QStringLiteral("random groups");
            Log(what);
            form->RandChars1->trigger();
            form->Edit3->setText(PickFrom(TypedTexts).left(120));
            form->Button3->click();
            break;
        case 6:
            what = QStringLiteral("pause or unpause");
            Log(what);
            form->Button2->click();
            break;
        default:
            what = QStringLiteral("close a side window");
            Log(what);
            (Pick(2) == 0 ? static_cast<QWidget*>(notepad.get()) : static_cast<QWidget*>(about.get()))->close();
            break;
    }
    return what + QStringLiteral(" done");
}

// Each character as the keyboard delivers it, through the application's event delivery, so the
// message hook sees it first.
void SoakTest::TypeText(QWidget* widget, const QString& text) {
    for (const char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        const int key = c < 128 ? int(QChar(char16_t(c)).toUpper().unicode()) : int(Qt::Key_unknown);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, one);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, one);
        QApplication::sendEvent(widget, &release);
    }
}

void SoakTest::PressEnter(QWidget* widget) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(widget, &release);
}

KELVO_GUI_TEST_MAIN(SoakTest)
#include "test_soak.moc"
