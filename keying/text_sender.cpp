#include "ui/main/form1.h"

#include "keying/keyer.h"
#include "platform/controls.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kelvo {

namespace {
constexpr int ProgressLength = 62;  // characters the progress box shows
const char* const SendingStatus = "You can stop sending with the <Abort/Show Text. button";
const char* const SentStatus = "The box shows only the text that was sent.";

// The character at 0-based `at` as one code point, and how many UTF-16 units it takes.
std::pair<char32_t, int> CharacterAt(const QString& text, int at) {
    const QChar c = text.at(at);
    if (c.isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate())
        return {QChar::surrogateToUcs4(c, text.at(at + 1)), 2};
    return {c.unicode(), 1};
}
}  // namespace

void TForm1::SendbuttonClick() {
    SentText.clear();
    Sending = true;
    LoadFile->setEnabled(false);
    Sendbutton->setEnabled(false);
    AbortButton->setEnabled(true);
    StatusBar1->SetSimpleText(QString());
    SendText();
    Timer1->SetEnabled(false);
}

// Sends the text box one character at a time, reading it afresh at each character so that edits
// made during the send count. The flags are looked at once per character (Sending) and before
// every mark (Paused).
void TForm1::SendText() {
    StatusBar1->SetSimpleText(QString::fromUtf8(SendingStatus));
    SendPos = 1;
    const auto play = [this](double frequency, double duration, double amplitude) {
        PlayNote(frequency, duration, amplitude);
    };
    // Waits for "Unpause" without spinning; a closed window has no button left to unpause with.
    const auto waitWhilePaused = [this] {
        while (Paused && !closing_) WaitAndProcessMessages();
    };
    PlayLeadIn(Timing, ToneFreq, play);
    for (;;) {
        const QString text = MemoText(Memo1);
        if (text.size() < SendPos || !Sending) break;
        // A character outside the 16-bit range is one character of the text, taken whole.
        const auto [c, units] = CharacterAt(text, SendPos - 1);
        SentText += text.mid(SendPos - 1, units);
        Edit2->setText(SentText.right(ProgressLength));
        KeyCharacter(c, Code, Timing, ToneFreq, play, waitWhilePaused);
        SendPos += units;
    }
    OutSound1.Flush();
    ShowSentText();
}

// Acts on the controls at once; the send loop sees the cleared flag at its next character.
void TForm1::AbortButtonClick() { ShowSentText(); }

// Ends a send, or an abort: the text box shows exactly what was sent and the controls are back.
void TForm1::ShowSentText() {
    CheckBox1->setChecked(true);
    CheckBox1Click();
    Sending = false;
    Timer1->SetEnabled(false);
    SetMemoText(Memo1, SentText);
    Memo1->setVisible(true);
    Sendbutton->setEnabled(true);
    Kelvobutton->setEnabled(true);
    LoadFile->setEnabled(true);
    StatusBar1->SetSimpleText(QString::fromUtf8(SentStatus));
}

void TForm1::Button2Click() {
    Paused = !Paused;
    Button2->setText(Paused ? QStringLiteral("Unpause") : QStringLiteral("Pause"));
}

}  // namespace kelvo
