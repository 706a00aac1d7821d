// The speed, character speed and frequency controls, the speed scales and the view commands,
// driven through the window as the learner drives them.
#include "gui_fixture.h"
#include "ui/main/form1.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

#include <memory>

using namespace kelvo;

namespace {

// Types `text` into the focused box, then Enter; returns how often the box itself saw Enter.
int TypeIntoBox(QLineEdit* box, const QString& text, bool enter = true) {
    box->setFocus();
    box->clear();
    QTest::keyClicks(box, text);
    int returns = 0;
    const auto connection = QObject::connect(box, &QLineEdit::returnPressed, [&] { ++returns; });
    if (enter) QTest::keyClick(box, Qt::Key_Return);
    QObject::disconnect(connection);
    return returns;
}

}  // namespace

class ValueControlsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        form = std::make_unique<TForm1>();
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        errors = std::make_unique<test::ErrorRecorder>();
    }
    void cleanup() {
        errors.reset();
        form.reset();
        TFontDialog::SetTestAnswer({});
        QLocale::setDefault(QLocale::c());
    }

    void codeSpeedScrollbarInBothScales() {
        form->CspeedScrollbar->SetPosition(7);
        QCOMPARE(form->CSpeedEdit->text(), QStringLiteral("7"));
        QCOMPARE(form->CodeSpeed, 7.0);
        form->FastMode1->trigger();
        form->CspeedScrollbar->SetPosition(5);
        form->CspeedScrollbar->SetPosition(7);
        QCOMPARE(form->CSpeedEdit->text(), QStringLiteral("14"));
        QCOMPARE(form->CodeSpeed, 14.0);
        QVERIFY(qAbs(form->Timing.DitTime - 1.2 / 14) < 1e-12);  // 14 wpm, the same as the character speed
        QCOMPARE(errors->Messages, QStringList());
    }

    void fastModeDoublesTheBoxEachTime() {
        form->FastMode1->trigger();
        QCOMPARE(form->CSpeedEdit->text(), QStringLiteral("10"));
        QCOMPARE(form->Label2->text(), QStringLiteral("6"));
        QCOMPARE(form->Label9->text(), QStringLiteral("40"));
        QCOMPARE(form->CodeSpeed, 10.0);
        form->FastMode1->trigger();
        QCOMPARE(form->CSpeedEdit->text(), QStringLiteral("20"));
        QCOMPARE(form->Label2->text(), QStringLiteral("6"));
        QCOMPARE(form->Label9->text(), QStringLiteral("40"));
        QCOMPARE(form->CodeSpeed, 20.0);
        QCOMPARE(form->CspeedScrollbar->Position(), 5);  // the scrollbar stays
        QVERIFY(form->FastMode);
        QCOMPARE(errors->Messages, QStringList());
    }

    // The double of a typed number beyond half the 32-bit range is shown as it is, and refused.
    void fastModeDoublesBeyond32Bits() {
        form->CSpeedEdit->setText(QStringLiteral("1500000000"));
        form->FastMode1->trigger();
        QCOMPARE(form->CSpeedEdit->text(), QStringLiteral("3000000000"));
        QCOMPARE(errors->Messages, QStringList{"'3000000000' is not a valid integer value"});
        QCOMPARE(form->CodeSpeed, 5.0);
    }

    void slowModeHalvesTheBox() {
        form->FastMode1->trigger();  // "10", labels "6" and "40"
        form->SlowMode1->trigger();
        QCOMPARE(form->CSpeedEdit->text(), QStringLiteral("5"));
        QCOMPARE(form->Label2->text(), QStringLiteral("3"));
        QCOMPARE(form->Label9->text(), QStringLiteral("20"));
        QCOMPARE(form->CodeSpeed, 5.0);
        QVERIFY(!form->FastMode);
        QCOMPARE(errors->Messages, QStringList());
    }

    void slowModeOnAnOddValueLeavesAHalf_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("half");
        QTest::newRow("point") << QLocale::c() << QStringLiteral("2.5");
        QTest::newRow("comma") << QLocale(QLocale::German, QLocale::Germany) << QStringLiteral("2,5");
        QTest::newRow("Arabic separator") << QLocale(QLocale::Arabic, QLocale::Egypt) << QStringLiteral("2\u066B5");
    }
    void slowModeOnAnOddValueLeavesAHalf() {
        QFETCH(QLocale, locale);
        QFETCH(QString, half);
        QLocale::setDefault(locale);
        form = std::make_unique<TForm1>();  // the window as it is built under that locale
        const KeyingTiming before = form->Timing;
        form->SlowMode1->trigger();
        QCOMPARE(form->CSpeedEdit->text(), half);
        QCOMPARE(errors->Messages, QStringList{QStringLiteral("'%1' is not a valid integer value").arg(half)});
        QCOMPARE(form->CodeSpeed, 5.0);
        QCOMPARE(form->Timing.DitTime, before.DitTime);
        // Once the box holds an integer again, the controls work.
        form->CspeedScrollbar->SetPosition(9);
        QCOMPARE(form->CSpeedEdit->text(), QStringLiteral("9"));
        QCOMPARE(form->CodeSpeed, 9.0);
    }

    // The mode flag changes before the box is read; the labels only after.
    void scaleCommandsOnLettersChangeTheFlagOnly() {
        form->CSpeedEdit->setText(QStringLiteral("ab"));
        form->FastMode1->trigger();
        QVERIFY(form->FastMode);
        QCOMPARE(form->Label2->text(), QStringLiteral("3"));
        QCOMPARE(form->Label9->text(), QStringLiteral("20"));
        form->CSpeedEdit->setText(QStringLiteral("10"));
        form->FastMode1->trigger();
        form->CSpeedEdit->setText(QStringLiteral("ab"));
        form->SlowMode1->trigger();
        QVERIFY(!form->FastMode);
        QCOMPARE(form->Label2->text(), QStringLiteral("6"));
        QCOMPARE(form->Label9->text(), QStringLiteral("40"));
        QCOMPARE(form->CSpeedEdit->text(), QStringLiteral("ab"));
        QCOMPARE(errors->Messages, QStringList({"'ab' is not a valid integer value", "'ab' is not a valid integer value"}));
    }

    void enterTakesTheTypedValue_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("fast");
        QTest::addColumn<int>("startPosition");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<double>("value");
        QTest::newRow("code speed moves to its end") << "CSpeedEdit" << false << 8 << "30" << 20 << "20" << 20.0;
        QTest::newRow("code speed, fast scale") << "CSpeedEdit" << true << 8 << "30" << 20 << "40" << 40.0;
        QTest::newRow("fast scale takes a position") << "CSpeedEdit" << true << 8 << "12" << 12 << "24" << 24.0;
        QTest::newRow("code speed already at the end") << "CSpeedEdit" << false << 20 << "30" << 20 << "30" << 30.0;
        QTest::newRow("same position, fast scale") << "CSpeedEdit" << true << 12 << "12" << 12 << "12" << 12.0;
        QTest::newRow("character speed below range") << "SpeedEdit" << false << 20 << "5" << 12 << "12" << 12.0;
        QTest::newRow("character speed at its end") << "SpeedEdit" << false << 35 << "50" << 35 << "50" << 50.0;
        QTest::newRow("frequency below range") << "Freqedit" << false << 500 << "300" << 500 << "300" << 300.0;
        QTest::newRow("frequency in range") << "Freqedit" << false << 800 << "650" << 650 << "650" << 650.0;
    }
    void enterTakesTheTypedValue() {
        QFETCH(QString, box);
        QFETCH(bool, fast);
        QFETCH(int, startPosition);
        QFETCH(QString, typed);
        QFETCH(int, position);
        QFETCH(QString, shown);
        QFETCH(double, value);
        auto* edit = form->findChild<QLineEdit*>(box);
        TScrollBar* bar = edit == form->CSpeedEdit  ? form->CspeedScrollbar
                          : edit == form->SpeedEdit ? form->SpeedScrollBar
                                                    : form->Freqscrollbar;
        const double* field = edit == form->CSpeedEdit  ? &form->CodeSpeed
                              : edit == form->SpeedEdit ? &form->CharSpeed
                                                        : &form->ToneFreq;
        form->FastMode = fast;
        bar->SetPosition(startPosition);
        QCOMPARE(TypeIntoBox(edit, typed), 0);  // Enter consumed
        QCOMPARE(bar->Position(), position);
        QCOMPARE(edit->text(), shown);
        QCOMPARE(*field, value);
        QCOMPARE(errors->Messages, QStringList());
    }

    // Counted by the errors of a box that SetSpeed cannot read. When the scrollbar moves, its
    // handler's error ends the Enter as well: one message, and the key is not consumed.
    void aFailingScrollbarHandlerEndsTheEnter() {
        form->CspeedScrollbar->SetPosition(8);
        form->Freqedit->setText(QStringLiteral("x"));
        QCOMPARE(TypeIntoBox(form->CSpeedEdit, QStringLiteral("30")), 1);
        QCOMPARE(errors->Messages, QStringList{"'x' is not a valid integer value"});
        QCOMPARE(form->CspeedScrollbar->Position(), 20);
        errors->Messages.clear();
        TypeIntoBox(form->CSpeedEdit, QStringLiteral("30"));  // the scrollbar is at 20 already
        QCOMPARE(errors->Messages, QStringList{"'x' is not a valid integer value"});
        QCOMPARE(form->CodeSpeed, 30.0);  // read before the frequency box failed
    }

    void zeroCodeSpeedKeepsTheTiming() {
        form->CspeedScrollbar->SetPosition(3);
        const KeyingTiming before = form->Timing;
        QCOMPARE(TypeIntoBox(form->CSpeedEdit, QStringLiteral("0")), 0);
        QCOMPARE(form->CSpeedEdit->text(), QStringLiteral("0"));
        QCOMPARE(form->CspeedScrollbar->Position(), 3);
        QCOMPARE(errors->Messages, QStringList{"Floating point division by zero"});
        QCOMPARE(form->Timing.DitTime, before.DitTime);
        QCOMPARE(form->Timing.CharGap, before.CharGap);
        QCOMPARE(form->Timing.WordGap, before.WordGap);
    }

    // Keying cannot run backwards in time nor the synthesizer play a negative tone: SetSpeed
    // refuses the value and keeps the last one and the timing in force.
    void negativeValueIsRefused_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("position");  // the scrollbar's end, so Enter leaves the typed text
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("frequency") << "Freqedit" << 500 << "-300"
                                   << "'-300' Hz is not a valid audio frequency: it cannot be negative";
        QTest::newRow("code speed") << "CSpeedEdit" << 3 << "-5"
                                    << "'-5' words per minute is not a valid speed: it cannot be negative";
        QTest::newRow("character speed") << "SpeedEdit" << 12 << "-5"
                                         << "'-5' words per minute is not a valid speed: it cannot be negative";
    }
    void negativeValueIsRefused() {
        QFETCH(QString, box);
        QFETCH(int, position);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        auto* edit = form->findChild<QLineEdit*>(box);
        TScrollBar* bar = edit == form->CSpeedEdit  ? form->CspeedScrollbar
                          : edit == form->SpeedEdit ? form->SpeedScrollBar
                                                    : form->Freqscrollbar;
        bar->SetPosition(position);
        const double values[] = {form->CodeSpeed, form->CharSpeed, form->ToneFreq};
        const KeyingTiming before = form->Timing;
        QCOMPARE(TypeIntoBox(edit, typed), 0);
        QCOMPARE(bar->Position(), position);
        QCOMPARE(errors->Messages, QStringList{message});
        QCOMPARE(form->CodeSpeed, values[0]);
        QCOMPARE(form->CharSpeed, values[1]);
        QCOMPARE(form->ToneFreq, values[2]);
        QCOMPARE(form->Timing.DitTime, before.DitTime);
        QCOMPARE(form->Timing.CharGap, before.CharGap);
        QCOMPARE(form->Timing.WordGap, before.WordGap);
    }

    void lettersAndEnterLeaveEverything_data() {
        QTest::addColumn<QString>("box");
        QTest::newRow("code speed") << "CSpeedEdit";
        QTest::newRow("character speed") << "SpeedEdit";
        QTest::newRow("frequency") << "Freqedit";
    }
    void lettersAndEnterLeaveEverything() {
        QFETCH(QString, box);
        auto* edit = form->findChild<QLineEdit*>(box);
        const KeyingTiming before = form->Timing;
        const int positions[] = {form->CspeedScrollbar->Position(), form->SpeedScrollBar->Position(),
                                 form->Freqscrollbar->Position()};
        QCOMPARE(TypeIntoBox(edit, QStringLiteral("fast")), 1);  // the box saw the Enter
        QCOMPARE(edit->text(), QStringLiteral("fast"));
        QCOMPARE(errors->Messages, QStringList{"'fast' is not a valid integer value"});
        QCOMPARE(form->CspeedScrollbar->Position(), positions[0]);
        QCOMPARE(form->SpeedScrollBar->Position(), positions[1]);
        QCOMPARE(form->Freqscrollbar->Position(), positions[2]);
        QCOMPARE(form->CodeSpeed, 5.0);
        QCOMPARE(form->CharSpeed, 14.0);
        QCOMPARE(form->ToneFreq, 800.0);
        QCOMPARE(form->Timing.DitTime, before.DitTime);
    }

    void typedValueWaitsForTheNextSetSpeed() {
        TypeIntoBox(form->SpeedEdit, QStringLiteral("25"), false);
        QCOMPARE(form->SpeedEdit->text(), QStringLiteral("25"));
        QCOMPARE(form->CharSpeed, 14.0);
        form->Freqscrollbar->SetPosition(600);
        QCOMPARE(form->CharSpeed, 25.0);
        QCOMPARE(form->SpeedScrollBar->Position(), 14);
        QVERIFY(qAbs(form->Timing.DitTime - 1.2 / 25) < 1e-12);
        QCOMPARE(errors->Messages, QStringList());
    }

    void toggleToneFlipsEachControlByItsOwnState() {
        const QList<QWidget*> tone = {form->SpinEdit2, form->Label17, form->SpinEdit3, form->Label16, form->CheckBox3};
        form->ToggleTone1->trigger();
        for (QWidget* w : tone) QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
        form->ToggleTone1->trigger();
        for (QWidget* w : tone) QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
        form->CheckBox3->show();
        form->ToggleTone1->trigger();
        QVERIFY(form->CheckBox3->isHidden());
        for (QWidget* w : tone.mid(0, 4)) QVERIFY2(w->isVisible(), qPrintable(w->objectName()));
        QCOMPARE(errors->Messages, QStringList());
    }

    void toggleProgressFlipsTheBoxAndItsLabel() {
        form->ToggleProgress1->trigger();
        QVERIFY(form->Edit2->isVisible());
        QVERIFY(form->Label12->isVisible());
        QCOMPARE(form->Label12->text(), QStringLiteral("Text as sent"));
        form->ToggleProgress1->trigger();
        QVERIFY(form->Edit2->isHidden());
        QVERIFY(form->Label12->isHidden());
        form->Label12->show();
        form->ToggleProgress1->trigger();
        QVERIFY(form->Edit2->isVisible());
        QVERIFY(form->Label12->isHidden());
    }

    void fontDialogStartsFromTheTextBoxFont() {
        QFont offered;
        QFont chosen(QStringLiteral("Monospace"));
        chosen.setPixelSize(21);
        TFontDialog::SetTestAnswer([&](const TFontDialog& dialog) -> std::optional<QFont> {
            offered = dialog.Font;
            return chosen;
        });
        const QFont original = form->Memo1->font();
        form->Button4->click();
        QCOMPARE(offered, original);
        QCOMPARE(form->Memo1->font().pixelSize(), 21);
        QCOMPARE(form->Memo1->font(), chosen);
        QVERIFY(form->Memo2->font() != chosen);  // only the text box takes it

        TFontDialog::SetTestAnswer([&](const TFontDialog& dialog) -> std::optional<QFont> {
            offered = dialog.Font;
            return std::nullopt;
        });
        form->Button4->click();
        QCOMPARE(offered, chosen);
        QCOMPARE(form->Memo1->font(), chosen);
        QCOMPARE(errors->Messages, QStringList());
    }

private:
    std::unique_ptr<TForm1> form;
    std::unique_ptr<test::ErrorRecorder> errors;
};

KELVO_GUI_TEST_MAIN(ValueControlsTest)
#include "test_value_controls.moc"
