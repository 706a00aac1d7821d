// The main window as it opens, and the guard around its handlers.
#include "gui_fixture.h"
#include "ui/main/form1.h"

#include "audio/out_sound.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>

#include <memory>

using namespace kelvo;

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void init() { form = std::make_unique<TForm1>(); }
    void cleanup() { form.reset(); }

    void opensShorterByTheChartPanelAndCentred() {
        QCOMPARE(form->width(), DesignClientWidth);
        QCOMPARE(form->ClientHeight(), DesignClientHeight - ChartPanelHeight);
        QVERIFY(!form->Panel2->isVisibleTo(form.get()));
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        const QPoint screenCentre = form->screen()->availableGeometry().center();
        QVERIFY((form->frameGeometry().center() - screenCentre).manhattanLength() <= 2);
    }

    // Every caption shows whole: no visible caption, button, check box or spin box is narrower
    // than it asks to be, at the usual desktop font sizes, with the tone controls hidden and shown.
    void captionsAreNeverCut_data() {
        QTest::addColumn<int>("pointSize");
        QTest::newRow("9 points") << 9;
        QTest::newRow("11 points") << 11;
    }
    void captionsAreNeverCut() {
        QFETCH(int, pointSize);
        const QFont desktopFont = QApplication::font();
        QFont font = desktopFont;
        font.setPointSize(pointSize);
        QApplication::setFont(font);
        form = std::make_unique<TForm1>();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        const auto cut = [&] {
            QApplication::processEvents();  // the strip lays out again when controls come or go
            QStringList names;
            for (QWidget* w : form->findChildren<QWidget*>()) {
                const bool captioned = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                                       qobject_cast<QAbstractSpinBox*>(w);
                if (captioned && w->isVisible() && w->width() < w->sizeHint().width())
                    names << QStringLiteral("%1 %2 < %3").arg(w->objectName()).arg(w->width()).arg(w->sizeHint().width());
            }
            return names;
        };
        const QStringList atStart = cut();
        form->ToggleTone1->trigger();
        const QStringList withTone = cut();
        form->ToggleTone1->trigger();
        const QStringList toneHiddenAgain = cut();
        form.reset();
        QApplication::setFont(desktopFont);
        QCOMPARE(atStart, QStringList());
        QCOMPARE(withTone, QStringList());
        QCOMPARE(toneHiddenAgain, QStringList());
    }

    void valueControlsStartAtTheDefaults() {
        QCOMPARE(form->CSpeedEdit->text(), QStringLiteral("5"));
        QCOMPARE(form->SpeedEdit->text(), QStringLiteral("14"));
        QCOMPARE(form->Freqedit->text(), QStringLiteral("800"));
        QCOMPARE(form->CspeedScrollbar->Position(), 5);
        QCOMPARE(form->SpeedScrollBar->Position(), 14);
        QCOMPARE(form->Freqscrollbar->Position(), 800);
        QCOMPARE(form->CharSpeed, 14.0);
        QCOMPARE(form->CodeSpeed, 5.0);
        QCOMPARE(form->ToneFreq, 800.0);
        QVERIFY(qAbs(form->Timing.DitTime - 1.2 / 14) < 1e-12);  // Farnsworth timing computed
        QVERIFY(qAbs(form->Timing.CharGap - 1.389474) < 1e-6);
        QCOMPARE(form->PracticeNumber, 1);
        QCOMPARE(form->Edit1->text(), QStringLiteral("1"));
        QCOMPARE(form->SpinEdit2->value(), 5);
        QCOMPARE(form->SpinEdit3->value(), 1);
    }

    void buttonsAndHiddenControls() {
        QVERIFY(!form->KelvoSendButton->isEnabled());
        QVERIFY(!form->KelvoStopButton->isEnabled());
        QVERIFY(form->Kelvobutton->isEnabled());
        QVERIFY(!form->Timer1->Enabled());
        QVERIFY(!form->Timer2->Enabled());
        for (QWidget* hidden : {static_cast<QWidget*>(form->Edit2), static_cast<QWidget*>(form->Label12),
                                static_cast<QWidget*>(form->SpinEdit2), static_cast<QWidget*>(form->SpinEdit3),
                                static_cast<QWidget*>(form->Label16), static_cast<QWidget*>(form->Label17),
                                static_cast<QWidget*>(form->CheckBox3), static_cast<QWidget*>(form->StartNumLabel),
                                static_cast<QWidget*>(form->StartNumEdit), static_cast<QWidget*>(form->UsingEdit),
                                static_cast<QWidget*>(form->Label10), static_cast<QWidget*>(form->Label15),
                                static_cast<QWidget*>(form->Edit3), static_cast<QWidget*>(form->Button3),
                                static_cast<QWidget*>(form->Memo3), form->Panel2})
            QVERIFY2(!hidden->isVisibleTo(form.get()), qPrintable(hidden->objectName()));
        for (QWidget* shown : {static_cast<QWidget*>(form->Memo1), static_cast<QWidget*>(form->Memo2),
                               static_cast<QWidget*>(form->Sendbutton), static_cast<QWidget*>(form->Kelvobutton)})
            QVERIFY2(shown->isVisibleTo(form.get()), qPrintable(shown->objectName()));
        QCOMPARE(form->UsingEdit->text(), QStringLiteral("1"));
        QCOMPARE(form->StartNumEdit->text(), QStringLiteral("1"));
        QCOMPARE(form->StatusBar1->SimpleText(), QStringLiteral("Load text into the text box, or press <Start Kelvo.>"));
    }

    void everyNamedControlIsThereWithItsCaption() {
        const struct { const char* name; const char* caption; } buttons[] = {
            {"LoadFile", "Load any File"}, {"Button1", "Load practice Text"}, {"Sendbutton", "Send Text"},
            {"Button2", "Pause"}, {"AbortButton", "Abort/Show text"}, {"Button4", "Font"},
            {"Kelvobutton", "Start Kelvo"}, {"KelvoSendButton", "Start Sending"},
            {"KelvoStopButton", "Stop Kelvo"}, {"Button3", "Generate String"}};
        for (const auto& b : buttons) {
            auto* button = form->findChild<QPushButton*>(QLatin1String(b.name));
            QVERIFY2(button, b.name);
            QCOMPARE(button->text(), QString::fromUtf8(b.caption));
        }
        QCOMPARE(form->Sendbutton->toolTip(), QStringLiteral("Send any text in the box, or the loaded practice text"));
        QCOMPARE(form->SpinEdit2->toolTip(), QStringLiteral("Lower, makes elements \"clickier\":   higher, \"woolier\""));
        for (const char* name : {"SaveEnv1", "LoadEnv1", "FastMode1", "SlowMode1", "ToggleProgress1", "RandChars1",
                                 "Dits1", "ToggleTone1", "ToggleUppercase1", "Notepad1", "HelpFile1", "About1"})
            QVERIFY2(form->findChild<QAction*>(QLatin1String(name)), name);
        QCOMPARE(form->Timer1->Interval(), 1000);
        QCOMPARE(form->Timer2->Interval(), 100);
    }

    void quickStartBoxHoldsSixLinesAndFollowsItsCheckBox() {
        const QStringList expected = {"---Quickstart Instructions---", "Press <Start Kelvo> button,",
                                      "Press <Start Sending> button,", "Type each character you hear,",
                                      "If it's unknown, wait.  You'll be shown.", "Stop with <Stop Kelvo> button"};
        QCOMPARE(TForm1::MemoLines(form->Memo2), expected);
        form->CheckBox2->click();
        QVERIFY(!form->Memo2->isVisibleTo(form.get()));
        form->CheckBox2->click();
        QVERIFY(form->Memo2->isVisibleTo(form.get()));
        QCOMPARE(TForm1::MemoLines(form->Memo2), expected);
        form->CheckBox1->click();
        QVERIFY(!form->Memo1->isVisibleTo(form.get()));
        form->CheckBox1->click();
        QVERIFY(form->Memo1->isVisibleTo(form.get()));
    }

    void scrollbarClampsAndSignalsOnlyOnChange() {
        int changes = 0;
        const auto handler = form->Freqscrollbar->OnChange;
        form->Freqscrollbar->OnChange = [&] {
            ++changes;
            handler();
        };
        form->Freqscrollbar->SetPosition(800);  // unchanged
        QCOMPARE(changes, 0);
        form->Freqscrollbar->SetPosition(5000);
        QCOMPARE(form->Freqscrollbar->Position(), 1000);
        QCOMPARE(changes, 1);
        QCOMPARE(form->Freqedit->text(), QStringLiteral("1000"));
        QCOMPARE(form->ToneFreq, 1000.0);  // the handler ran SetSpeed
        form->Freqscrollbar->SetPosition(1001);
        QCOMPARE(changes, 1);
    }

    void enablingARunningTimerKeepsItsInterval() {
        TTimer timer(10000);
        timer.SetEnabled(true);
        QTest::qWait(50);
        const int before = timer.RemainingTime();
        timer.SetEnabled(true);  // a restart would put the full interval back
        QVERIFY(timer.RemainingTime() <= before);
        QVERIFY(before < 10000);
        timer.SetEnabled(false);
        QCOMPARE(timer.RemainingTime(), -1);
    }

    void errorInAHandlerShowsOneBoxAndTheProgramGoesOn() {
        QString title, text;
        int boxes = 0;
        // The real error box: read and close it from inside its own event loop.
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ++boxes;
                title = box->windowTitle();
                text = box->text();
                box->accept();
            }
        });
        form->CSpeedEdit->setText(QStringLiteral("abc"));
        form->SpeedScrollBar->setSliderPosition(20);  // the user drags it
        QCOMPARE(boxes, 1);
        QCOMPARE(title, QStringLiteral("KORVAL morse tester"));
        QCOMPARE(text, QStringLiteral("'abc' is not a valid integer value"));
        QCOMPARE(form->CharSpeed, 20.0);  // stored before the failing step
        QCOMPARE(form->CodeSpeed, 5.0);
        // The program goes on: the next handler works.
        test::ErrorRecorder errors;
        form->CSpeedEdit->setText(QStringLiteral("12"));
        form->Freqscrollbar->SetPosition(600);
        QCOMPARE(errors.Messages, QStringList());
        QCOMPARE(form->CodeSpeed, 12.0);
        QVERIFY(qAbs(form->Timing.DitTime - 1.2 / 20) < 1e-12);
    }

    void zeroCodeSpeedKeepsThePreviousTiming() {
        test::ErrorRecorder errors;
        const KeyingTiming before = form->Timing;
        form->CSpeedEdit->setText(QStringLiteral("0"));
        form->Freqscrollbar->setSliderPosition(700);
        QCOMPARE(errors.Messages, QStringList{"Floating point division by zero"});
        QCOMPARE(form->CodeSpeed, 0.0);
        QCOMPARE(form->ToneFreq, 700.0);
        QCOMPARE(form->Timing.DitTime, before.DitTime);
        QCOMPARE(form->Timing.CharGap, before.CharGap);
        QCOMPARE(form->Timing.WordGap, before.WordGap);
    }

    void negativeFrequencyIsRefusedAndTheToneKept() {
        test::ErrorRecorder errors;
        form->Freqedit->setText(QStringLiteral("-300"));
        form->SpeedScrollBar->setSliderPosition(20);
        QCOMPARE(errors.Messages.size(), 1);
        QVERIFY(errors.Messages.front().contains(QStringLiteral("-300")));
        QCOMPARE(form->ToneFreq, 800.0);
    }

    void withoutASoundDeviceItStartsInTheDesignState() {
        form.reset();
        auto capture = test::UseCaptureDevice();
        capture->FailQuery(WaveOutErrorBadDeviceId);
        test::ErrorRecorder errors;
        form = std::make_unique<TForm1>();
        QCOMPARE(errors.Messages.size(), 1);
        QCOMPARE(errors.Messages.front().toStdString(), capture->ErrorText(WaveOutErrorBadDeviceId));
        QCOMPARE(form->OutSound1.InitStage(), 0);
        QCOMPARE(form->CSpeedEdit->text(), QString());
        QCOMPARE(form->SpeedEdit->text(), QString());
        QCOMPARE(form->Freqedit->text(), QString());
        QCOMPARE(form->Freqscrollbar->Position(), 500);
        QVERIFY(form->KelvoSendButton->isEnabled());
        QCOMPARE(form->StatusBar1->SimpleText(), QString());
        QCOMPARE(TForm1::MemoLines(form->Memo2), QStringList{QString()});
        QCOMPARE(form->ClientHeight(), DesignClientHeight - ChartPanelHeight);  // done before the device
        // A tone now fails with the device's error, and a speed change with a conversion error.
        QVERIFY_THROWS_EXCEPTION(EOutSound, form->PlayNote(800, 0.1, 20000));
        form->SpeedScrollBar->setSliderPosition(20);
        QCOMPARE(errors.Messages.back(), QStringLiteral("'' is not a valid integer value"));
        form.reset();
        test::UseCaptureDevice();
    }

private:
    std::unique_ptr<TForm1> form;
};

KELVO_GUI_TEST_MAIN(StartupTest)
#include "test_startup.moc"
