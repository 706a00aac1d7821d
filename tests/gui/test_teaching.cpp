// The drill in the window: Start Kelvo, Start Sending and Stop Kelvo, the turns paced by the two
// timers, the keyboard hook that scores answers typed anywhere, the echo, and the error chart.
// Timers are driven by calling their handlers, except in one test that lets them run for real.
#include "gui_fixture.h"
#include "ui/main/form1.h"

#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <chrono>
#include <memory>

using namespace kelvo;
using Samples = std::vector<std::int16_t>;

namespace {

// The drill order as the chart labels it once teaching has stopped.
const QString LabelledOrder = QStringLiteral("Q7ZG098O1JPWLRAM6BXDYCKN23FU45VHSITE.,?/");

// What one drill character should sound like: 3 dits of silence, flushed on their own, then a
// mark and a one-dit silence for each element ("3313"), flushed.
Samples ExpectedDrillChar(const TForm1& form, const QString& elements) {
    const double dit = form.Timing.DitTime;
    test::ExpectedSound sound(form);
    sound.Note(3 * dit, 0).Flush();
    for (const QChar digit : elements) sound.Note(digit.digitValue() * dit, 20000).Note(dit, 0);
    return sound.Flush().Samples();
}

Samples QueuedSamples(const WaveOutCapture& capture, const Samples& expected) {
    return test::SamplesWhenQueued(capture, expected.size());
}

// Counts the key presses that reach a widget.
class KeyCounter : public QObject {
public:
    int Presses = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) ++Presses;
        return false;
    }
};

QList<qreal> BarHeights(const TForm1& form) {
    QList<qreal> heights;
    for (int i = 0; i < form.Series1Bars->count(); ++i) heights << form.Series1Bars->at(i);
    return heights;
}

bool Near(double a, double b) { return qAbs(a - b) < 1e-9; }

}  // namespace

class TeachingTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        dir = std::make_unique<test::ScopedWorkDir>();  // Stop Kelvo writes the drill history here
        capture = test::UseCaptureDevice();
        errors = std::make_unique<test::ErrorRecorder>();
        form = std::make_unique<TForm1>();
        test::KeyAt20Wpm(*form);  // keeps the characters short
    }
    void cleanup() {
        form.reset();
        QCOMPARE(errors->Messages, QStringList());
        errors.reset();
        capture.reset();
        dir.reset();
    }

    void startKelvoPreparesTheDrill() {
        const int startHeight = form->ClientHeight();
        form->Memo1->setPlainText(QStringLiteral("old text"));
        form->StartNumEdit->setText(QStringLiteral("3"));
        form->Kelvobutton->click();

        QVERIFY(form->DrillMode);
        QVERIFY(!form->DrillRunning);
        for (QWidget* hidden : {static_cast<QWidget*>(form->Label12), static_cast<QWidget*>(form->Edit2),
                                static_cast<QWidget*>(form->Button1), static_cast<QWidget*>(form->CheckBox1),
                                static_cast<QWidget*>(form->Label11), static_cast<QWidget*>(form->Edit1),
                                static_cast<QWidget*>(form->UsingEdit), static_cast<QWidget*>(form->Label10)})
            QVERIFY2(!hidden->isVisibleTo(form.get()), qPrintable(hidden->objectName()));
        for (QWidget* shown : {static_cast<QWidget*>(form->Memo1), static_cast<QWidget*>(form->StartNumLabel),
                               static_cast<QWidget*>(form->StartNumEdit), form->Panel2})
            QVERIFY2(shown->isVisibleTo(form.get()), qPrintable(shown->objectName()));
        QVERIFY(form->CheckBox1->isChecked());
        QCOMPARE(form->UsingEdit->text(), QStringLiteral("3"));
        QCOMPARE(form->ClientHeight(), startHeight + ChartPanelHeight);
        QCOMPARE(form->Memo1->toPlainText(), QString());

        QCOMPARE(BarHeights(*form), QList<qreal>(40, 1.0));
        QCOMPARE(form->Chart1BottomAxis->categoriesLabels(), QStringList());
        QCOMPARE(form->Chart1BottomAxis->min(), -1.0);
        QCOMPARE(form->Chart1BottomAxis->max(), 40.0);

        QVERIFY(!form->Kelvobutton->isEnabled());
        QVERIFY(form->KelvoSendButton->isEnabled());
        QVERIFY(form->KelvoStopButton->isEnabled());
        QVERIFY(!form->LoadFile->isEnabled());
        QVERIFY(!form->Sendbutton->isEnabled());
        QVERIFY(!form->AbortButton->isEnabled());
        QCOMPARE(form->StatusBar1->SimpleText(),
                 QStringLiteral("Enter number of characters to start, then press <Start Sending> button."));

        // Its one tick before Start Sending only switches the timer off.
        QVERIFY(form->Timer2->Enabled());
        form->Timer2Timer();
        QVERIFY(!form->Timer2->Enabled());
        QVERIFY(!form->Timer1->Enabled());
        QVERIFY(capture->Samples().empty());
    }

    void startSendingFixesTheStartingSet() {
        form->StartNumEdit->setText(QStringLiteral("5"));
        form->Kelvobutton->click();
        form->KelvoSendButton->click();

        QVERIFY(form->DrillRunning);
        QVERIFY(form->Timer2->Enabled());
        QVERIFY(!form->KelvoSendButton->isEnabled());
        QVERIFY(form->UsingEdit->isVisibleTo(form.get()));
        QVERIFY(form->Label10->isVisibleTo(form.get()));
        QCOMPARE(form->UsingEdit->text(), QStringLiteral("5"));
        QCOMPARE(form->StatusBar1->SimpleText(),
                 QStringLiteral("Type each character you hear, or wait:  Press <Stop Kelvo> button to stop."));
        const QList<qreal> heights = BarHeights(*form);
        QCOMPARE(heights.size(), 40);
        for (int i = 0; i < 40; ++i) QVERIFY2(Near(heights[i], i < 5 ? 0.2 : 1.0), qPrintable(QString::number(i)));
        QCOMPARE(form->Chart1BottomAxis->categoriesLabels(), QStringList());
    }

    void startCountIsKeptWithinTheOrder_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("above 40") << "50" << "40";
        QTest::newRow("40") << "40" << "40";
        QTest::newRow("1") << "1" << "1";
        QTest::newRow("0") << "0" << "1";
        QTest::newRow("negative") << "-7" << "1";
    }
    void startCountIsKeptWithinTheOrder() {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        form->StartNumEdit->setText(typed);
        form->Kelvobutton->click();
        form->KelvoSendButton->click();
        QCOMPARE(form->StartNumEdit->text(), shown);
        QCOMPARE(form->UsingEdit->text(), shown);
        QCOMPARE(form->Drill.CharsInUse, shown.toInt());
        form->Timer2Timer();  // a turn can be played from the count used
        QVERIFY(form->Drill.AwaitingAnswer);
    }

    void aStartCountThatIsNotANumber() {
        const int startHeight = form->ClientHeight();
        form->StartNumEdit->setText(QStringLiteral("x"));
        form->Kelvobutton->click();
        QCOMPARE(errors->Messages, QStringList{"'x' is not a valid integer value"});
        errors->Messages.clear();
        // Teaching mode is on and the box can be corrected; nothing was started.
        QVERIFY(form->DrillMode);
        QVERIFY(form->StartNumEdit->isVisibleTo(form.get()));
        QVERIFY(form->Panel2->isVisibleTo(form.get()));
        QVERIFY(!form->Timer2->Enabled());
        QVERIFY(form->Kelvobutton->isEnabled());
        QVERIFY(!form->KelvoSendButton->isEnabled());
        QVERIFY(!form->KelvoStopButton->isEnabled());

        form->StartNumEdit->setText(QStringLiteral("2"));
        form->Kelvobutton->click();
        QCOMPARE(form->ClientHeight(), startHeight + ChartPanelHeight);
        QVERIFY(form->KelvoSendButton->isEnabled());

        form->StartNumEdit->setText(QStringLiteral("2.5"));
        form->KelvoSendButton->click();
        QCOMPARE(errors->Messages, QStringList{"'2.5' is not a valid integer value"});
        errors->Messages.clear();
        QCOMPARE(form->UsingEdit->text(), QStringLiteral("2.5"));
        QVERIFY(!form->DrillRunning);
        QVERIFY(form->KelvoSendButton->isEnabled());  // for another try
        form->Timer2Timer();                          // the armed tick does nothing
        QVERIFY(!form->Timer1->Enabled());
        QVERIFY(capture->Samples().empty());
    }

    // A send that ends (or its abort) enables Start Kelvo again while a drill runs. Starting
    // teaching again with any count, in range or not, waits for Start Sending, which checks it.
    void startKelvoAgainDuringADrillWaitsForStartSending_data() {
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("used");
        QTest::newRow("below one") << "-3" << 1;
        QTest::newRow("above forty") << "50" << 40;
        QTest::newRow("in range") << "3" << 3;
    }
    void startKelvoAgainDuringADrillWaitsForStartSending() {
        QFETCH(QString, count);
        QFETCH(int, used);
        form->StartNumEdit->setText(QStringLiteral("5"));
        form->Kelvobutton->click();
        form->KelvoSendButton->click();
        QVERIFY(form->DrillRunning);
        form->AbortButtonClick();
        QVERIFY(form->Kelvobutton->isEnabled());
        form->StartNumEdit->setText(count);
        form->Kelvobutton->click();
        QVERIFY(!form->DrillRunning);
        QVERIFY(!form->Timer1->Enabled());
        QTRY_VERIFY(!form->Timer2->Enabled());  // its tick found no drill running
        QCOMPARE(form->Drill.CurrentIndex, 1);  // no turn was drawn
        form->KelvoSendButton->click();
        QCOMPARE(form->Drill.CharsInUse, used);
        QCOMPARE(form->Drill.CurrentIndex, used);
        QCOMPARE(errors->Messages, QStringList());
    }

    // A count no drill could reach rates as the formula gives it, beyond 32 bits, not wrapped.
    void stopKelvoPrintsTheRatingTheFormulaGives() {
        form->StartNumEdit->setText(QStringLiteral("2000000000"));
        form->Kelvobutton->click();
        form->KelvoStopButton->click();
        QCOMPARE(TForm1::MemoLines(form->Memo1).value(0), QStringLiteral("Your current mastery rating is 6250000000"));
    }

    void stopKelvoRatesAndLabelsTheChart() {
        form->StartNumEdit->setText(QStringLiteral("10"));
        form->Kelvobutton->click();
        const int chartHeight = form->ClientHeight();
        form->KelvoSendButton->click();
        form->KelvoStopButton->click();

        QVERIFY(!form->DrillMode);
        QVERIFY(!form->DrillRunning);
        QVERIFY(!form->Timer1->Enabled());
        QVERIFY(!form->Timer2->Enabled());
        // Ten characters at the learned level rate 25.
        QCOMPARE(TForm1::MemoLines(form->Memo1),
                 (QStringList{"Your current mastery rating is 25",
                              "When this is 100, you will have mastered all of the characters."}));
        QStringList labels;
        for (const QChar c : LabelledOrder) labels << QString(c);
        QCOMPARE(form->Chart1BottomAxis->categoriesLabels(), labels);
        QCOMPARE(form->Series1Bars->count(), 40);
        QCOMPARE(form->Chart1BottomAxis->min(), -1.0);
        QCOMPARE(form->Chart1BottomAxis->max(), 40.0);

        QVERIFY(form->Panel2->isVisibleTo(form.get()));
        QCOMPARE(form->ClientHeight(), chartHeight);
        QVERIFY(form->Kelvobutton->isEnabled());
        QVERIFY(!form->KelvoStopButton->isEnabled());
        QVERIFY(!form->KelvoSendButton->isEnabled());
        QVERIFY(form->LoadFile->isEnabled());
        QVERIFY(form->Sendbutton->isEnabled());
        QVERIFY(form->AbortButton->isEnabled());
        for (QWidget* shown : {static_cast<QWidget*>(form->Memo1), static_cast<QWidget*>(form->CheckBox1),
                               static_cast<QWidget*>(form->Button1), static_cast<QWidget*>(form->Label11),
                               static_cast<QWidget*>(form->Edit1)})
            QVERIFY2(shown->isVisibleTo(form.get()), qPrintable(shown->objectName()));
        for (QWidget* hidden : {static_cast<QWidget*>(form->Label10), static_cast<QWidget*>(form->UsingEdit),
                                static_cast<QWidget*>(form->StartNumEdit), static_cast<QWidget*>(form->StartNumLabel),
                                static_cast<QWidget*>(form->Memo2)})
            QVERIFY2(!hidden->isVisibleTo(form.get()), qPrintable(hidden->objectName()));
        QVERIFY(!form->CheckBox2->isChecked());
        QCOMPARE(form->StatusBar1->SimpleText(), QStringLiteral("Here's how you did.  I'm Ready to go again."));

        // Outside teaching mode a typed key is not scored.
        const auto weights = form->Drill.ErrorWeights;
        test::Type(form.get(), QStringLiteral("q"));
        QVERIFY(form->Drill.ErrorWeights == weights);
        QCOMPARE(TForm1::MemoLines(form->Memo1).size(), 2);

        // With the chart already shown, the next start leaves the height alone and hides the labels.
        form->Kelvobutton->click();
        QCOMPARE(form->ClientHeight(), chartHeight);
        QCOMPARE(form->Chart1BottomAxis->categoriesLabels(), QStringList());
        QCOMPARE(form->Memo1->toPlainText(), QString());
    }

    void theLabelsFitUnderTheirBars() {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->Kelvobutton->click();
        form->KelvoSendButton->click();
        form->KelvoStopButton->click();
        QTRY_COMPARE(form->Chart1->chart()->plotArea().isEmpty(), false);
        QTest::qWait(50);  // the axis lays its labels out once the panel has its size
        QVERIFY(!form->Chart1BottomAxis->labelsTruncated());
    }

    void playDrillCharKeysLeadInAndElements_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("elements");
        QTest::newRow("q") << 1 << "3313";
        QTest::newRow("5") << 30 << "11111";
        QTest::newRow("e") << 36 << "1";
        QTest::newRow("?") << 39 << "113311";
        QTest::newRow("/") << 40 << "31131";
    }
    void playDrillCharKeysLeadInAndElements() {
        QFETCH(int, index);
        QFETCH(QString, elements);
        form->Kelvobutton->click();
        form->Drill.CurrentIndex = index;
        form->PlayDrillChar();
        const Samples expected = ExpectedDrillChar(*form, elements);
        QCOMPARE(QueuedSamples(*capture, expected), expected);
    }

    void aTurnSendsTheCharacterThenOpensTheWindow() {
        form->Kelvobutton->click();
        form->KelvoSendButton->click();
        form->Timer2Timer();
        const Samples expected = ExpectedDrillChar(*form, "3313");  // "q", the only character
        QCOMPARE(QueuedSamples(*capture, expected), expected);
        QVERIFY(form->Drill.AwaitingAnswer);
        QCOMPARE(form->Drill.WaitLeft, 8.0);
        QVERIFY(form->Timer1->Enabled());
        QVERIFY(!form->Timer2->Enabled());
    }

    void aRightAnswerEndsTheTurnAtTheFirstTick() {
        form->Kelvobutton->click();
        form->KelvoSendButton->click();
        form->Timer2Timer();
        test::Type(form.get(), QStringLiteral("q"));
        QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("q"));
        QVERIFY(!form->Drill.AwaitingAnswer);

        form->Timer1Timer();
        QVERIFY(!form->Timer1->Enabled());
        QVERIFY(form->Timer2->Enabled());
        QVERIFY(Near(form->Series1Bars->at(0), 0.8));  // the chart shows the lowered weight
        QVERIFY(Near(form->Series1Bars->at(1), 1.0));
    }

    void theRealTimersRunATurn() {
        form->Kelvobutton->click();
        form->KelvoSendButton->click();
        int ticks = 0;
        bool endedAtTick = false;
        // Connected after the window's own handler, so it sees the state that tick left.
        connect(form->Timer1, &TTimer::Timer, this, [&] {
            if (++ticks == 1) endedAtTick = !form->Timer1->Enabled() && form->Timer2->Enabled();
            form->KelvoStopButton->click();
        });
        QTRY_VERIFY_WITH_TIMEOUT(form->Drill.AwaitingAnswer, 5000);
        QTest::qWait(100);
        test::Type(form.get(), QStringLiteral("q"));
        QTRY_COMPARE_WITH_TIMEOUT(ticks, 1, 5000);
        QVERIFY(endedAtTick);
        QVERIFY(Near(form->Drill.ErrorWeights[1], 0.8));
    }

    void pauseFreezesTheCountdownButAnswersCount() {
        form->Kelvobutton->click();
        form->KelvoSendButton->click();
        form->Timer2Timer();
        form->Button2->click();
        QVERIFY(form->Paused);
        for (int i = 0; i < 10; ++i) form->Timer1Timer();
        QCOMPARE(form->Drill.WaitLeft, 8.0);
        QVERIFY(form->Drill.AwaitingAnswer);

        test::Type(form.get(), QStringLiteral("q"));
        QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("q"));
        QVERIFY(Near(form->Drill.ErrorWeights[1], 0.8));
        form->Timer1Timer();
        QVERIFY(form->Timer1->Enabled());  // the answered turn waits too

        form->Button2->click();
        form->Timer1Timer();
        QVERIFY(!form->Timer1->Enabled());
        QVERIFY(form->Timer2->Enabled());
    }

    void theEcho_data() {
        QTest::addColumn<bool>("upper");
        QTest::addColumn<QString>("typed");  // empty: the window runs out
        QTest::addColumn<QString>("echo");
        QTest::newRow("right, as typed") << false << "Q" << "Q";
        QTest::newRow("right, lower case") << false << "q" << "q";
        QTest::newRow("timeout") << false << "" << "q";
        QTest::newRow("upper: right") << true << "q" << "Q";
        QTest::newRow("upper: timeout") << true << "" << "Q";
        QTest::newRow("wrong key") << false << "x" << "";
    }
    void theEcho() {
        QFETCH(bool, upper);
        QFETCH(QString, typed);
        QFETCH(QString, echo);
        if (upper) form->ToggleUppercase1->trigger();
        form->Kelvobutton->click();
        form->KelvoSendButton->click();
        form->Timer2Timer();
        if (!typed.isEmpty()) {
            test::Type(form.get(), typed);
        } else {
            for (int i = 0; i < 7; ++i) form->Timer1Timer();
            QCOMPARE(form->Memo1->toPlainText(), QString());
            form->Timer1Timer();
            QVERIFY(!form->Timer1->Enabled());
        }
        QCOMPARE(form->Memo1->toPlainText(), echo);
    }

    void charactersJoin_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("answers");  // one right answer per turn
        QTest::addColumn<QString>("inUse");
        QTest::addColumn<bool>("quickstart");
        QTest::newRow("second joins") << "1" << "qqq" << "2" << true;
        QTest::newRow("third joins") << "2" << "7" << "3" << false;
    }
    void charactersJoin() {
        QFETCH(QString, start);
        QFETCH(QString, answers);
        QFETCH(QString, inUse);
        QFETCH(bool, quickstart);
        form->StartNumEdit->setText(start);
        form->Kelvobutton->click();
        form->Drill.RandomSource().SetSeed(1);
        form->KelvoSendButton->click();
        for (int turn = 0; turn < answers.size(); ++turn) {
            QCOMPARE(form->UsingEdit->text(), start);
            form->Timer2Timer();
            test::Type(form.get(), answers.mid(turn, 1));
            QCOMPARE(form->Memo1->toPlainText(), answers.left(turn + 1));
            form->Timer1Timer();
        }
        QCOMPARE(form->UsingEdit->text(), inUse);
        QCOMPARE(form->Memo1->toPlainText(), QString());
        QCOMPARE(form->Memo2->isVisibleTo(form.get()), quickstart);
        QCOMPARE(form->CheckBox2->isChecked(), quickstart);
    }

    void stopWhileACharacterPlays() {
        form->Kelvobutton->click();
        form->KelvoSendButton->click();
        bool stoppedInside = false;
        // The lead-in is queued on its own; stop while the character's marks are being made.
        test::OnceWhen([&] { return capture->QueuedCount() >= 1; }, [&] {
            stoppedInside = true;
            form->KelvoStopButton->click();
        });
        form->Timer2Timer();
        QVERIFY(stoppedInside);
        const Samples expected = ExpectedDrillChar(*form, "3313");
        QCOMPARE(QueuedSamples(*capture, expected), expected);  // sent to its end
        QVERIFY(!form->Drill.AwaitingAnswer);
        QVERIFY(!form->Timer1->Enabled());
        QVERIFY(!form->Timer2->Enabled());
        QCOMPARE(TForm1::MemoLines(form->Memo1).size(), 2);
    }

    void keysAreScoredOnceWhereverTheyAreTyped_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("another window") << "window";
        QTest::newRow("read-only box passes it to its parent") << "readonly";
        QTest::newRow("the text box itself") << "memo";
    }
    void keysAreScoredOnceWhereverTheyAreTyped() {
        QFETCH(QString, target);
        form->Kelvobutton->click();
        form->KelvoSendButton->click();
        form->Timer2Timer();

        QLineEdit other;  // a top-level window of the program other than the main one
        other.show();
        KeyCounter parentKeys;
        form->UsingEdit->parentWidget()->installEventFilter(&parentKeys);
        if (target == QLatin1String("window")) {
            test::Type(&other, QStringLiteral("q"));
            QCOMPARE(other.text(), QStringLiteral("q"));  // the key still lands there
        } else if (target == QLatin1String("readonly")) {
            QVERIFY(form->UsingEdit->isReadOnly());
            test::Type(form->UsingEdit, QStringLiteral("q"));
            QCOMPARE(parentKeys.Presses, 1);  // it went on to the parent, and was still scored once
        } else {
            test::Type(form->Memo1, QStringLiteral("q"));
        }
        QVERIFY(Near(form->Drill.ErrorWeights[1], 0.8));  // one step, not two
        // The echo, and after it the typed key where it was typed into the text box.
        QCOMPARE(form->Memo1->toPlainText(), target == QLatin1String("memo") ? QStringLiteral("qq") : QStringLiteral("q"));
    }

    void aHeldKeyIsScoredOnce_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("key");
        QTest::addColumn<double>("weight");  // of the character drilled
        QTest::addColumn<QString>("echo");
        QTest::newRow("right key") << "1" << "q" << 0.8 << "q";
        QTest::newRow("wrong key") << "2" << "x" << 0.4 << "";
    }
    void aHeldKeyIsScoredOnce() {
        QFETCH(QString, start);
        QFETCH(QString, key);
        QFETCH(double, weight);
        QFETCH(QString, echo);
        form->StartNumEdit->setText(start);
        form->Kelvobutton->click();
        form->KelvoSendButton->click();
        form->Timer2Timer();
        QLineEdit box;
        test::Type(&box, key, 3);
        QCOMPARE(box.text(), key.repeated(4));  // every repeat still reaches the control
        QVERIFY(Near(form->Drill.ErrorWeights[form->Drill.CurrentIndex], weight));
        QCOMPARE(form->Memo1->toPlainText(), echo);
    }

    // Wherever the drill leaves the keyboard focus, a space is an answer and clicks no button:
    // after Start Sending (which disables itself under the pointer) and after a turn during
    // which the learner clicked Pause.
    void aSpaceNeverEndsTheDrill() {
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->Kelvobutton->click();
        QTest::mouseClick(form->KelvoSendButton, Qt::LeftButton);
        form->Timer2Timer();
        test::Type(QApplication::focusWidget(), QStringLiteral(" "));
        QVERIFY(form->DrillMode);
        QVERIFY(form->DrillRunning);
        QCOMPARE(form->Drill.TypedChar, ' ');  // the hook still saw it
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form->KelvoStopButton);  // one deliberate Tab away

        QTest::mouseClick(form->Button2, Qt::LeftButton);
        QTest::mouseClick(form->Button2, Qt::LeftButton);
        while (form->Timer1->Enabled()) form->Timer1Timer();  // the window runs out
        test::Type(QApplication::focusWidget(), QStringLiteral(" "));
        QVERIFY(!form->Paused);
        QVERIFY(form->DrillMode);
        QVERIFY(form->DrillRunning);
    }

    // Keys that type no character are not answers, whatever text Qt gives them.
    void keysThatTypeNoCharacterAreNotAnswers_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::newRow("Tab") << int(Qt::Key_Tab) << int(Qt::NoModifier) << "\t";
        QTest::newRow("Delete") << int(Qt::Key_Delete) << int(Qt::NoModifier) << "\x7f";
        QTest::newRow("Alt+Q") << int(Qt::Key_Q) << int(Qt::AltModifier) << "q";
        QTest::newRow("Ctrl+Q") << int(Qt::Key_Q) << int(Qt::ControlModifier) << "\x11";
        QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << "\t";
        QTest::newRow("Meta+Q") << int(Qt::Key_Q) << int(Qt::MetaModifier) << "q";
    }
    void keysThatTypeNoCharacterAreNotAnswers() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        form->StartNumEdit->setText(QStringLiteral("2"));
        form->Kelvobutton->click();
        form->KelvoSendButton->click();
        form->Timer2Timer();
        const auto weights = form->Drill.ErrorWeights;
        QLineEdit box;
        QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
        QApplication::sendEvent(&box, &press);
        QVERIFY(form->Drill.ErrorWeights == weights);
        QVERIFY(form->Drill.AwaitingAnswer);
        QCOMPARE(form->Memo1->toPlainText(), QString());
    }

    void aKeyBeyondEightBitsMatchesNothing() {
        form->Kelvobutton->click();
        form->KelvoSendButton->click();
        form->Timer2Timer();
        QLineEdit box;
        const QString oDoubleAcute = QString(QChar(0x0151));  // its low byte is "Q"
        test::Type(&box, oDoubleAcute);
        QCOMPARE(box.text(), oDoubleAcute);
        QCOMPARE(form->Memo1->toPlainText(), QString());
        QVERIFY(Near(form->Drill.ErrorWeights[1], 1.0));
        QVERIFY(form->Drill.AwaitingAnswer);
    }

private:
    std::unique_ptr<test::ScopedWorkDir> dir;
    std::shared_ptr<WaveOutCapture> capture;
    std::unique_ptr<test::ErrorRecorder> errors;
    std::unique_ptr<TForm1> form;
};

KELVO_GUI_TEST_MAIN(TeachingTest)
#include "test_teaching.moc"
