// The teaching mode: the three drill buttons, the keyboard hook that scores answers, the two
// timers that pace the turns, the sending of one drill character and the echo into the text box.
// Every decision is the drill model's; these handlers show its results.
#include "ui/main/form1.h"

#include "keying/keyer.h"
#include "platform/controls.h"
#include "platform/convert.h"
#include "platform/text_file.h"
#include "ui/side/progress_window.h"

#include <QChartView>
#include <QCheckBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

#include <chrono>
#include <cstdint>
#include <string>

namespace kelvo {

namespace {

const char* const PreparedStatus = "Enter number of characters to start, then press <Start Sending> button.";
const char* const SendingStatus = "Type each character you hear, or wait:  Press <Stop Kelvo> button to stop.";
const char* const StoppedStatus = "Here's how you did.  I'm Ready to go again.";
const char* const RatingLine = "Your current mastery rating is ";
const char* const RatingGoalLine = "When this is 100, you will have mastered all of the characters.";

// Once this many characters are in use the learner no longer needs the quick-start box.
constexpr int QuickstartHiddenAbove = 2;

// A key beyond 8 bits keeps no low byte: U+0151 would otherwise be taken for "Q". It stands in
// as a byte that matches no drill character (the ASCII substitute character).
constexpr char32_t LastByteCode = 0xFF;
constexpr char UnmatchedKey = '\x1A';

int StartCount(const QLineEdit* box) { return StrToInt(box->text().toStdString()); }

// Answers are typed at the keyboard, so the focus must not rest on a button, where a space (for
// "I don't know", or by habit) would click it: Start Sending disables itself and would hand the
// focus on to Stop Kelvo, and a click on Pause leaves it there. The chart takes it instead: keys
// do nothing there but reach the hook, and Stop Kelvo is the next stop of Tab (the window's Tab
// order puts it right after the chart).
void FocusForAnswers(TForm1& form) {
    form.Chart1->setFocus(Qt::OtherFocusReason);
}

// The echo joins the box's whole text, with no separator and no line break.
void AppendEcho(QPlainTextEdit* memo, char c) {
    QTextCursor end(memo->document());
    end.movePosition(QTextCursor::End);
    end.insertText(QString(QChar::fromLatin1(c)));
}

}  // namespace

// Sees every typed character once, before the control it is typed into, and never consumes it.
// The repeats of a held key reach the control but are not scored: one held key would otherwise
// lower or raise a weight several times.
void TForm1::AppMessage(const TCharMessage& message) {
    if (message.AutoRepeat) return;
    Drill.TypedChar = message.Char <= LastByteCode ? static_cast<char>(message.Char) : UnmatchedKey;
    if (!DrillMode) return;
    const std::optional<char> echo = Drill.CheckAnswer();
    if (echo) AppendEcho(Memo1, *echo);
    if (DrillRunning) ++(echo ? Tally.Right : Tally.Wrong);
}

void TForm1::KelvobuttonClick() {
    HideAll(Label12, Edit2, Button1, Memo1, CheckBox1, Label11, Edit1);
    CheckBox1->setChecked(true);
    CheckBox1Click();
    DrillMode = true;
    StartNumLabel->show();
    StartNumEdit->show();
    // "Start Sending" is enabled with the other buttons below, once the start count has been
    // read: a count that is not a number must not leave it enabled on a drill never started.
    UsingEdit->setText(StartNumEdit->text());
    if (Panel2->isHidden()) {
        SetClientHeight(ClientHeight() + Panel2->height());
        Panel2->show();
    }
    Drill.StartTeaching(StartCount(UsingEdit));
    // The end of a send enables Start Kelvo again while a drill may still be running. The new
    // start count is not checked until Start Sending, so the running drill ends here: otherwise
    // the next turn would draw from a count of 0, a negative one or one above 40.
    DrillRunning = false;
    Timer1->SetEnabled(false);
    Memo1->clear();
    ShowHistogram();
    Timer2->SetEnabled(true);
    Kelvobutton->setEnabled(false);
    KelvoSendButton->setEnabled(true);
    LoadFile->setEnabled(false);
    Sendbutton->setEnabled(false);
    AbortButton->setEnabled(false);
    KelvoStopButton->setEnabled(true);
    StatusBar1->SetSimpleText(QString::fromUtf8(PreparedStatus));
}

void TForm1::KelvoSendButtonClick() {
    StatusBar1->SetSimpleText(QString::fromUtf8(SendingStatus));
    Timer2->SetEnabled(true);
    UsingEdit->setText(StartNumEdit->text());
    const int typed = StartCount(StartNumEdit);
    // The model raises a count below 1 and lowers one above 40; the boxes show the count used.
    const int used = Drill.StartSending(typed);
    if (used != typed) {
        StartNumEdit->setText(QString::number(used));
        UsingEdit->setText(QString::number(used));
    }
    ShowHistogram();
    DrillRunning = true;
    Tally = {};
    Tally.Started = std::chrono::steady_clock::now();
    KelvoSendButton->setEnabled(false);
    UsingEdit->show();
    Label10->show();
    FocusForAnswers(*this);
}

void TForm1::KelvoStopButtonClick() {
    // Only a drill that was sending goes on record; one stopped before Start Sending has no turns.
    const bool wasSending = DrillRunning;
    DrillMode = false;
    Label10->hide();
    StartNumEdit->hide();
    StartNumLabel->hide();
    Memo1->show();
    CheckBox1->show();
    DrillRunning = false;
    Timer1->SetEnabled(false);
    Timer2->SetEnabled(false);
    ShowHistogram();
    Kelvobutton->setEnabled(true);
    Button1->show();
    Label11->show();
    Edit1->show();
    UsingEdit->hide();
    LoadFile->setEnabled(true);
    Sendbutton->setEnabled(true);
    AbortButton->setEnabled(true);
    KelvoStopButton->setEnabled(false);
    // As at start-up: sending drill characters needs a fresh Start Kelvo.
    KelvoSendButton->setEnabled(false);
    Memo1->clear();
    const std::int64_t rating = Drill.MasteryRating();
    AddMemoLine(Memo1, QString::fromUtf8(RatingLine) + QString::number(rating));
    AddMemoLine(Memo1, QString::fromUtf8(RatingGoalLine));
    Memo2->hide();
    CheckBox2->setChecked(false);
    StatusBar1->SetSimpleText(QString::fromUtf8(StoppedStatus));
    // Last, so that a file that cannot be written leaves the drill's own results in place.
    // A drill that was sending started from a checked count, so its rating lies within 0 to 100.
    if (wasSending) RecordSession(static_cast<int>(rating));
}

// A turn begins. Timer2 acts as a 100 ms one-shot.
void TForm1::Timer2Timer() {
    Timer2->SetEnabled(false);
    if (!DrillMode || !DrillRunning) return;
    Drill.ChooseNextChar();
    PlayDrillChar();
    // Stop Kelvo may have been clicked while the character was playing.
    if (!DrillMode || !DrillRunning) return;
    Drill.OpenAnswerWindow();
    Timer1->SetEnabled(true);
}

// One second of the answer window, and the end of the turn.
void TForm1::Timer1Timer() {
    if (Paused) return;
    const TAnswerTickResult tick = Drill.AnswerTick();
    if (tick.WindowOpen) return;
    ++Tally.Turns;
    if (tick.Echo) {
        ++Tally.Missed;
        AppendEcho(Memo1, *tick.Echo);
    }
    ShowHistogram();
    if (tick.CharJoined) {
        if (Drill.CharsInUse > QuickstartHiddenAbove) {
            Memo2->hide();
            CheckBox2->setChecked(false);
        }
        UsingEdit->setText(QString::number(Drill.CharsInUse));
        Memo1->clear();
    }
    Timer1->SetEnabled(false);
    Timer2->SetEnabled(true);
    FocusForAnswers(*this);
}

// The lead-in is flushed on its own so that it reaches the device at once; the character follows
// without a character gap, keyed with the current dit length.
void TForm1::PlayDrillChar() {
    const char c = Drill.CurrentChar();
    const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    const std::string elements = Code.LookupCode(std::string_view(&upper, 1));
    PlayLeadIn(Timing, ToneFreq, [this](double f, double d, double a) { PlayNote(f, d, a); });
    OutSound1.Flush();
    for (const char digit : elements) {
        PlayNote(ToneFreq, (digit - '0') * Timing.DitTime, MarkAmplitude);
        PlayNote(ToneFreq, Timing.DitTime, SilenceAmplitude);
    }
    OutSound1.Flush();
}

void TForm1::ToggleUppercase1Click() { Drill.UpperEcho = !Drill.UpperEcho; }

void TForm1::RecordSession(int rating) {
    const QDateTime now = QDateTime::currentDateTime();
    const TLocalTime time{now.date().year(), now.date().month(), now.date().day(),
                          now.time().hour(), now.time().minute(), now.time().second()};
    AppendSessionRecord(ResolveNoCase({}, HistoryFileName),
                        MakeSessionRecord(Drill, Tally, time, std::chrono::steady_clock::now(), rating, CodeSpeed,
                                          CharSpeed, ToneFreq));
    if (ProgressForm && ProgressForm->isVisible()) ProgressForm->Reload();
}

}  // namespace kelvo
