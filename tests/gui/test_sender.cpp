// Send Text, Pause and Abort/Show text, checked sample for sample through a capture device.
#include "gui_fixture.h"
#include "ui/main/form1.h"

#include "keying/tone_shaper.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <functional>
#include <memory>

using namespace kelvo;
using Samples = std::vector<std::int16_t>;

Q_DECLARE_METATYPE(Samples)

namespace {

constexpr int BufferLength = 4000;

// The samples a sequence of notes should produce, written as tokens: L lead-in, 1/3 a mark of
// that many dits and its one-dit silence, C character gap, W word gap; padded like the final
// flush of a send.
Samples Expected(const TForm1& form, const QString& tokens) {
    Samples out;
    double rampStep = 0;
    const auto note = [&](double duration, double amplitude) {
        ShapeNote(form.WaveTable, 8000, 5, form.ToneFreq, duration, amplitude, rampStep,
                  [&](std::int16_t v) { out.push_back(v); });
    };
    const KeyingTiming& t = form.Timing;
    for (const QString& token : tokens.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (token == QLatin1String("L")) note(3 * t.DitTime, 0);
        if (token == QLatin1String("C")) note(t.CharGap, 0);
        if (token == QLatin1String("W")) note(t.WordGap, 0);
        if (token == QLatin1String("1") || token == QLatin1String("3")) {
            note(token.toInt() * t.DitTime, 20000);
            note(t.DitTime, 0);
        }
    }
    out.resize((out.size() + BufferLength - 1) / BufferLength * BufferLength, 0);
    return out;
}

// Runs `action` once, the first time `when` holds while events are processed (inside a send,
// that is after some sample).
void OnceWhen(std::function<bool()> when, std::function<void()> action) {
    auto* timer = new QTimer;
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [=] {
        if (!when()) return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start();
}

}  // namespace

class SenderTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        capture = test::UseCaptureDevice();
        form = std::make_unique<TForm1>();
        // Plain timing at 20 words per minute keeps the streams short: a dit is 480 samples.
        form->CSpeedEdit->setText(QStringLiteral("20"));
        form->SpeedEdit->setText(QStringLiteral("20"));
        form->SetSpeed();
    }
    void cleanup() {
        form.reset();
        capture.reset();
    }

    void sendsTheTextAsMarksAndGaps_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tokens");
        QTest::newRow("empty box") << "" << "L";
        QTest::newRow("E space E") << "E E" << "L 1 C W C 1 C";
        QTest::newRow("lower case keyed as upper") << "ab" << "L 1 3 C 3 1 1 1 C";
        QTest::newRow("no code: only a gap") << "!" << "L C";
        QTest::newRow("dit stream joins") << "@@@" << QString("L") + QString(" 1").repeated(60);
        QTest::newRow("line break") << "E\nE" << "L 1 C W C C 1 C";
        QTest::newRow("Latin-1 letter") << QString::fromUtf8("\xC3\xA9") << "L C";
        QTest::newRow("beyond 8 bits") << QString::fromUtf8("\xD0\x96T") << "L C 3 C";
        QTest::newRow("beyond 16 bits") << QString::fromUtf8("\xF0\x9F\x98\x80") << "L C";
    }
    void sendsTheTextAsMarksAndGaps() {
        QFETCH(QString, text);
        QFETCH(QString, tokens);
        TForm1::SetMemoText(form->Memo1, text);
        form->Sendbutton->click();
        CompareSent(Expected(*form, tokens));
        QCOMPARE(form->SentText, QString(text).replace(QLatin1String("\n"), QLatin1String("\r\n")));
        QCOMPARE(form->Memo1->toPlainText(), text);  // shown as it stood, not upper-cased
        QCOMPARE(form->StatusBar1->SimpleText(), QStringLiteral("The box shows only the text that was sent."));
        QVERIFY(!form->Sending);
        QVERIFY(form->Sendbutton->isEnabled());
        QVERIFY(form->LoadFile->isEnabled());
        QVERIFY(form->Kelvobutton->isEnabled());
    }

    void progressBoxShowsTheLast62Characters() {
        const QString alphabet = QStringLiteral("ETIANMSURWDKGO");
        for (const int length : {62, 63, 100}) {
            QString text;
            for (int i = 0; i < length; ++i) text += alphabet.at(i % alphabet.size());
            TForm1::SetMemoText(form->Memo1, text);
            QString seenAt62;
            OnceWhen([&] { return form->SendPos == 62; }, [&] { seenAt62 = form->Edit2->text(); });
            form->Sendbutton->click();
            QCOMPARE(seenAt62, text.left(62));
            QCOMPARE(form->Edit2->text(), text.right(62));  // positions length-61 .. length
        }
    }

    void controlsWhileSending() {
        TForm1::SetMemoText(form->Memo1, QStringLiteral("EE"));
        bool checked = false;
        OnceWhen([&] { return form->Sending; }, [&] {
            checked = true;
            QVERIFY(!form->Sendbutton->isEnabled());
            QVERIFY(!form->LoadFile->isEnabled());
            QVERIFY(form->AbortButton->isEnabled());
            QCOMPARE(form->StatusBar1->SimpleText(),
                     QStringLiteral("You can stop sending with the <Abort/Show Text. button"));
            form->CheckBox1->click();  // hiding the text box does not stop the sound
            QVERIFY(!form->Memo1->isVisibleTo(form.get()));
        });
        form->Sendbutton->click();
        QVERIFY(checked);
        QVERIFY(form->CheckBox1->isChecked());
        QVERIFY(form->Memo1->isVisibleTo(form.get()));
        CompareSent(Expected(*form, "L 1 C 1 C"));
    }

    void pauseHoldsBeforeTheNextMark() {
        TForm1::SetMemoText(form->Memo1, QStringLiteral("EE"));
        bool stillSendingWhilePaused = false;
        OnceWhen([&] { return form->Edit2->text() == QLatin1String("E"); }, [&] { form->Button2->click(); });
        OnceWhen([&] { return form->Edit2->text() == QLatin1String("EE"); }, [&] {
            QCOMPARE(form->Button2->text(), QStringLiteral("Unpause"));
            QTimer::singleShot(100, [&] {
                stillSendingWhilePaused = form->Sending;  // a send that ignored the pause is long over
                form->Button2->click();
            });
        });
        form->Sendbutton->click();
        QVERIFY(stillSendingWhilePaused);
        QCOMPARE(form->Button2->text(), QStringLiteral("Pause"));
        QVERIFY(!form->Paused);
        CompareSent(Expected(*form, "L 1 C 1 C"));  // the pause adds no sound
    }

    void abortDuringTheLeadInSendsNothing() {
        TForm1::SetMemoText(form->Memo1, QStringLiteral("TT"));
        QString boxAtAbort = QStringLiteral("unset");
        OnceWhen([&] { return form->Sending; }, [&] {
            form->AbortButton->click();
            boxAtAbort = form->Memo1->toPlainText();
            QVERIFY(form->Sendbutton->isEnabled());
        });
        form->Sendbutton->click();
        QCOMPARE(boxAtAbort, QString());
        CompareSent(Expected(*form, "L"));
        QCOMPARE(form->Memo1->toPlainText(), QString());
    }

    void abortMidCharacterFinishesThatCharacter() {
        TForm1::SetMemoText(form->Memo1, QStringLiteral("AT"));
        QString boxAtAbort;
        OnceWhen([&] { return form->Edit2->text() == QLatin1String("A"); }, [&] {
            form->AbortButton->click();
            boxAtAbort = form->Memo1->toPlainText();
        });
        form->Sendbutton->click();
        QCOMPARE(boxAtAbort, QStringLiteral("A"));
        CompareSent(Expected(*form, "L 1 3 C"));
        QCOMPARE(form->StatusBar1->SimpleText(), QStringLiteral("The box shows only the text that was sent."));
    }

    void abortWithNoSendShowsTheLastSentText() {
        TForm1::SetMemoText(form->Memo1, QStringLiteral("typed"));
        form->AbortButton->click();
        QCOMPARE(form->Memo1->toPlainText(), QString());  // nothing sent since start-up
        QVERIFY(capture->Samples().empty());
    }

    void closingTheWindowStopsTheSend() {
        TForm1::SetMemoText(form->Memo1, QStringLiteral("EEE"));
        bool closed = false;
        connect(form.get(), &TForm1::Closed, [&] { closed = true; });
        OnceWhen([&] { return form->Edit2->text() == QLatin1String("E"); }, [&] { form->close(); });
        form->Sendbutton->click();
        QVERIFY(closed);
        CompareSent(Expected(*form, "L 1 C"));
    }

    void closingAPausedSendStillEndsIt() {
        TForm1::SetMemoText(form->Memo1, QStringLiteral("EEE"));
        OnceWhen([&] { return form->Edit2->text() == QLatin1String("E"); }, [&] { form->Button2->click(); });
        OnceWhen([&] { return form->Edit2->text() == QLatin1String("EE"); }, [&] { form->close(); });
        form->Sendbutton->click();  // would never return if the pause outlived the window
        CompareSent(Expected(*form, "L 1 C 1 C"));
    }

    void aSpeedChangeAppliesFromTheNextElement() {
        TForm1::SetMemoText(form->Memo1, QStringLiteral("A"));
        KeyingTiming before;
        OnceWhen([&] { return form->Edit2->text() == QLatin1String("A"); }, [&] {
            before = form->Timing;
            form->CSpeedEdit->setText(QStringLiteral("12"));
            form->SpeedEdit->setText(QStringLiteral("12"));
            form->SetSpeed();
        });
        form->Sendbutton->click();
        // The dit that was playing keeps its length; its silence and the rest use the new timing.
        Samples expected;
        double rampStep = 0;
        const auto note = [&](double duration, double amplitude) {
            ShapeNote(form->WaveTable, 8000, 5, form->ToneFreq, duration, amplitude, rampStep,
                      [&](std::int16_t v) { expected.push_back(v); });
        };
        const KeyingTiming& after = form->Timing;
        note(3 * before.DitTime, 0);
        note(before.DitTime, 20000);
        for (const auto& [duration, amplitude] : {std::pair{after.DitTime, 0.0}, {3 * after.DitTime, 20000.0},
                                                 {after.DitTime, 0.0}, {after.CharGap, 0.0}})
            note(duration, amplitude);
        expected.resize((expected.size() + BufferLength - 1) / BufferLength * BufferLength, 0);
        CompareSent(expected);
    }

    void aFailingToneLeavesTheSendForAbortToEnd() {
        test::ErrorRecorder errors;
        TForm1::SetMemoText(form->Memo1, QStringLiteral("E"));
        form->SpinEdit2->findChild<QLineEdit*>()->setText(QString());
        form->Sendbutton->click();
        QCOMPARE(errors.Messages, QStringList{"'' is not a valid floating point value"});
        QVERIFY(form->Sending);
        QVERIFY(!form->Sendbutton->isEnabled());
        QCOMPARE(form->StatusBar1->SimpleText(),
                 QStringLiteral("You can stop sending with the <Abort/Show Text. button"));
        form->AbortButton->click();
        QVERIFY(!form->Sending);
        QVERIFY(form->Sendbutton->isEnabled());
    }

private:
    void CompareSent(const Samples& expected) {
        QCOMPARE(test::SamplesWhenQueued(*capture, expected.size()), expected);
    }

    std::shared_ptr<WaveOutCapture> capture;
    std::unique_ptr<TForm1> form;
};

KELVO_GUI_TEST_MAIN(SenderTest)
#include "test_sender.moc"
