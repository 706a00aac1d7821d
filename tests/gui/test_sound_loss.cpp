// The sound device goes away in the middle of a send or a drill turn: the handler ends with the
// device's message in one error box, the window stays usable, and once the device is back the
// next send plays, all without a restart. The capture device goes away on cue, so no timing is
// involved.
#include "gui_fixture.h"
#include "ui/main/form1.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <memory>

using namespace kelvo;

namespace {

const QString LostMessage = QStringLiteral("Capture device failure 77.");

}  // namespace

class SoundLossTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        capture = test::UseCaptureDevice();
        errors = std::make_unique<test::ErrorRecorder>();
        form = std::make_unique<TForm1>();
        test::KeyAt20Wpm(*form);
    }
    void cleanup() {
        form.reset();
        errors.reset();
        capture.reset();
    }

    // The send stops where the loss is noticed, as after any failed handler: Abort/Show text
    // restores the controls; a send after the device is back plays in full.
    void aSendEndsWithTheDevicesMessageAndTheNextOnePlays() {
        const QString text = QStringLiteral("PARIS PARIS PARIS PARIS");
        TForm1::SetMemoText(form->Memo1, text);
        capture->LoseAfter(1, 77);
        form->Sendbutton->click();
        QCOMPARE(errors->Messages, QStringList{LostMessage});
        QVERIFY(form->Sending);
        QVERIFY(text.startsWith(form->SentText));
        QVERIFY(form->SentText.size() < text.size());
        QCOMPARE(form->StatusBar1->SimpleText(),
                 QStringLiteral("You can stop sending with the <Abort/Show Text. button"));
        form->AbortButton->click();
        QVERIFY(!form->Sending);
        QVERIFY(form->Sendbutton->isEnabled());

        capture->Lose(0);
        TForm1::SetMemoText(form->Memo1, QStringLiteral("E"));
        Plays([&] { form->Sendbutton->click(); }, test::ExpectedSound(*form)
                                                         .Note(3 * form->Timing.DitTime, 0)
                                                         .Note(form->Timing.DitTime, 20000)
                                                         .Note(form->Timing.DitTime, 0)
                                                         .Note(form->Timing.CharGap, 0)
                                                         .Flush()
                                                         .Samples());
        QCOMPARE(errors->Messages, QStringList{LostMessage});
        QVERIFY(!form->Sending);
    }

    // A turn ends at the loss and no further turn starts, so one message; Stop Kelvo still works
    // and a fresh drill plays once the device is back. At 10 wpm the first character, Q, spans
    // buffers enough that the loss is noticed inside its turn whatever the threads' timing.
    void aDrillTurnEndsWithTheDevicesMessageAndTheDrillCanStartAgain() {
        form->CSpeedEdit->setText(QStringLiteral("10"));
        form->SpeedEdit->setText(QStringLiteral("10"));
        form->SetSpeed();
        StartDrill();
        capture->LoseAfter(1, 77);  // right after the lead-in
        emit form->Timer2->Timer();
        QCOMPARE(errors->Messages, QStringList{LostMessage});
        QVERIFY(!form->Timer1->Enabled());
        QVERIFY(!form->Timer2->Enabled());
        QVERIFY(form->KelvoStopButton->isEnabled());
        form->KelvoStopButton->click();
        QVERIFY(!form->DrillRunning);

        capture->Lose(0);
        StartDrill();
        const KeyingTiming& t = form->Timing;
        test::ExpectedSound leadIn(*form);
        leadIn.Note(3 * t.DitTime, 0).Flush();
        test::ExpectedSound q(*form);
        for (const int dits : {3, 3, 1, 3}) q.Note(dits * t.DitTime, 20000).Note(t.DitTime, 0);
        std::vector<std::int16_t> expected = leadIn.Samples();
        q.Flush();
        expected.insert(expected.end(), q.Samples().begin(), q.Samples().end());
        Plays([&] { emit form->Timer2->Timer(); }, expected);
        QCOMPARE(errors->Messages, QStringList{LostMessage});
        QVERIFY(form->Timer1->Enabled());  // the answer window is open
    }

private:
    void StartDrill() {
        form->Kelvobutton->click();
        form->KelvoSendButton->click();
        QVERIFY(form->DrillRunning);
    }

    // Runs `play` and checks that exactly `expected` reached the device from then on.
    template <class Play>
    void Plays(Play play, const std::vector<std::int16_t>& expected) {
        const std::size_t before = capture->QueuedCount();
        capture->ClearSamples();
        play();
        QVERIFY(capture->WaitForQueued(before + expected.size() / test::BufferLength,
                                       std::chrono::seconds(10)));
        QCOMPARE(capture->Samples(), expected);
    }

    std::shared_ptr<WaveOutCapture> capture;
    std::unique_ptr<test::ErrorRecorder> errors;
    std::unique_ptr<TForm1> form;
};

KELVO_GUI_TEST_MAIN(SoundLossTest)
#include "test_sound_loss.moc"
