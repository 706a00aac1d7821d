// Send Text, Pause and Abort/Show text, checked sample for sample through a capture device.
#include "gui_fixture.h"
#include "ui/main/form1.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <memory>

using namespace kelvo;
using Samples = std::vector<std::int16_t>;

Q_DECLARE_METATYPE(Samples)

namespace {

// The samples a sequence of notes should produce, written as tokens: L lead-in, 1/3 a mark of
// that many dits and its one-dit silence, C character gap, W word gap; padded like the final
// flush of a send.
Samples Expected(const TForm1& form, const QString& tokens) {
    test::ExpectedSound sound(form);
    const KeyingTiming& t = form.Timing;
    for (const QString& token : tokens.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (token == QLatin1String("L")) sound.Note(3 * t.DitTime, 0);
        if (token == QLatin1String("C")) sound.Note(t.CharGap, 0);
        if (token == QLatin1String("W")) sound.Note(t.WordGap, 0);
        if (token == QLatin1String("1") || token == QLatin1String("3"))
            sound.Note(token.toInt() * t.DitTime, 20000).Note(t.DitTime, 0);
    }
    return sound.Flush().Samples();
}

}  // namespace

class SenderTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        capture = test::UseCaptureDevice();
        form = std::make_unique<TForm1>();
        test::KeyAt20Wpm(*form);  // keeps the streams short
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

    // The window built under a locale with digits of its own still reads its boxes and plays.
    void sendsUnderEveryLocale_data() {
        QTest::addColumn<QString>("locale");
        QTest::newRow("Arabic (Egypt)") << "ar_EG";
        QTest::newRow("Persian") << "fa_IR";
        QTest::newRow("Bengali") << "bn_BD";
        QTest::newRow("German") << "de_DE";
    }
    void sendsUnderEveryLocale() {
        QFETCH(QString, locale);
        test::ErrorRecorder errors;
        QLocale::setDefault(QLocale(locale));
        form = std::make_unique<TForm1>();
        test::KeyAt20Wpm(*form);
        TForm1::SetMemoText(form->Memo1, QStringLiteral("E"));
        form->Sendbutton->click();
        QLocale::setDefault(QLocale::c());
        QCOMPARE(errors.Messages, QStringList());
        CompareSent(Expected(*form, "L 1 C"));
    }

    void progressBoxShowsTheLast62Characters() {
        const QString alphabet = QStringLiteral("ETIANMSURWDKGO");
        for (const int length : {62, 63, 100}) {
            QString text;
            for (int i = 0; i < length; ++i) text += alphabet.at(i % alphabet.size());
            TForm1::SetMemoText(form->Memo1, text);
            QString seenAt62;
            test::OnceWhen([&] { return form->SendPos == 62; }, [&] { seenAt62 = form->Edit2->text(); });
            form->Sendbutton->click();
            QCOMPARE(seenAt62, text.left(62));
            QCOMPARE(form->Edit2->text(), text.right(62));  // positions length-61 .. length
        }
    }

    void controlsWhileSending() {
        TForm1::SetMemoText(form->Memo1, QStringLiteral("EE"));
        bool checked = false;
        test::OnceWhen([&] { return form->Sending; }, [&] {
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
        test::OnceWhen([&] { return form->Edit2->text() == QLatin1String("E"); }, [&] { form->Button2->click(); });
        test::OnceWhen([&] { return form->Edit2->text() == QLatin1String("EE"); }, [&] {
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
        test::OnceWhen([&] { return form->Sending; }, [&] {
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
        test::OnceWhen([&] { return form->Edit2->text() == QLatin1String("A"); }, [&] {
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

    // The send stops in the dit that was playing; the partly filled buffer is never flushed.
    void closingTheWindowStopsTheSend() {
        TForm1::SetMemoText(form->Memo1, QStringLiteral("EEE"));
        bool closed = false;
        connect(form.get(), &TForm1::Closed, [&] { closed = true; });
        test::OnceWhen([&] { return form->Edit2->text() == QLatin1String("E"); }, [&] { form->close(); });
        form->Sendbutton->click();
        QVERIFY(closed);
        QCOMPARE(capture->Samples(), Samples());  // less than one buffer was made
    }

    void closingAPausedSendStillEndsIt() {
        TForm1::SetMemoText(form->Memo1, QStringLiteral("EEE"));
        test::OnceWhen([&] { return form->Edit2->text() == QLatin1String("E"); }, [&] { form->Button2->click(); });
        test::OnceWhen([&] { return form->Edit2->text() == QLatin1String("EE"); }, [&] { form->close(); });
        form->Sendbutton->click();  // would never return if the pause outlived the window
        // The second E waited for Unpause in front of its dit: it never plays, and the lead-in
        // and the first E, less than one buffer, are never flushed.
        QCOMPARE(capture->Samples(), Samples());
    }

    // Closing in the middle of a long mark (a dit of 1.2 s) ends the sound there, in a send and
    // in a drill turn: the mark stops, nothing more is queued and the handler returns at once.
    void closingEndsALongNoteAtOnce_data() {
        QTest::addColumn<bool>("drill");
        QTest::newRow("a send") << false;
        QTest::newRow("a drill turn") << true;
    }
    void closingEndsALongNoteAtOnce() {
        QFETCH(bool, drill);
        form->CSpeedEdit->setText(QStringLiteral("1"));
        form->SpeedEdit->setText(QStringLiteral("1"));
        form->SetSpeed();
        const std::size_t dit = 9600;
        bool closed = false;
        connect(form.get(), &TForm1::Closed, [&] { closed = true; });
        // The 3-dit lead-in fills 7.2 buffers: the ninth is part of the first mark, a dah.
        test::OnceWhen([&] { return capture->QueuedCount() >= 9; }, [&] { form->close(); });
        if (drill) {
            form->Kelvobutton->click();
            form->KelvoSendButton->click();
            QTRY_VERIFY_WITH_TIMEOUT(closed, 10000);
            QVERIFY(!form->Drill.AwaitingAnswer);
            QVERIFY(!form->Timer1->Enabled());
        } else {
            TForm1::SetMemoText(form->Memo1, QStringLiteral("TT"));
            form->Sendbutton->click();
            QVERIFY(closed);
        }
        const std::size_t queued = capture->Samples().size();
        QCOMPARE(queued % test::BufferLength, std::size_t{0});  // no partly filled buffer flushed
        QVERIFY2(queued < 6 * dit, qPrintable(QString::number(queued)));  // the dah never ended
    }

    void aSpeedChangeAppliesFromTheNextElement() {
        TForm1::SetMemoText(form->Memo1, QStringLiteral("A"));
        KeyingTiming before;
        test::OnceWhen([&] { return form->Edit2->text() == QLatin1String("A"); }, [&] {
            before = form->Timing;
            form->CSpeedEdit->setText(QStringLiteral("12"));
            form->SpeedEdit->setText(QStringLiteral("12"));
            form->SetSpeed();
        });
        form->Sendbutton->click();
        // The dit that was playing keeps its length; its silence and the rest use the new timing.
        const KeyingTiming& after = form->Timing;
        CompareSent(test::ExpectedSound(*form)
                        .Note(3 * before.DitTime, 0)
                        .Note(before.DitTime, 20000)
                        .Note(after.DitTime, 0)
                        .Note(3 * after.DitTime, 20000)
                        .Note(after.DitTime, 0)
                        .Note(after.CharGap, 0)
                        .Flush()
                        .Samples());
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
