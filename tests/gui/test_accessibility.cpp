// What a screen reader gets from the window through Qt's accessibility interfaces: names, roles
// and descriptions of the controls, read-only boxes, the Tab order, the scales' names in both
// speed scales and the chart in words. The accessibility bus itself is read by tests/a11y.
#include "gui_fixture.h"
#include "ui/main/form1.h"
#include "ui/side/about_box.h"
#include "ui/side/notepad.h"

#include <QAccessible>
#include <QAction>
#include <QChartView>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>

#include <memory>

using namespace kelvo;

namespace {

QAccessibleInterface* Accessible(QWidget* w) { return QAccessible::queryAccessibleInterface(w); }

QString Name(QWidget* w) { return Accessible(w)->text(QAccessible::Name); }

QString Description(QWidget* w) { return Accessible(w)->text(QAccessible::Description); }

// The chart's words once the queued redescription after a redraw has run.
QString ChartWords(TForm1& form) {
    QCoreApplication::processEvents();
    return Description(form.Chart1);
}

}  // namespace

class AccessibilityTest : public QObject {
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
        QCOMPARE(errors->Messages, QStringList());
        errors.reset();
        capture.reset();
    }

    // Every control a screen reader can reach has a name; the boxes take their label's, hints
    // stay the descriptions, and nothing visible changes.
    void controlsAreNamed_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("description");
        const auto row = [](const char* control, QAccessible::Role role, const char* name, const char* description) {
            QTest::newRow(control) << QString::fromLatin1(control) << int(role) << QString::fromUtf8(name)
                                   << QString::fromUtf8(description);
        };
        row("Edit1", QAccessible::EditableText, "Practice Text Number (1 - 950)", "Number of Practice Text to send: 1 - 950");
        row("SpinEdit3", QAccessible::SpinBox, "Harmonics", "");
        row("SpinEdit2", QAccessible::SpinBox, "Rise/Fall time, msec",
            "Lower, makes elements \"clickier\":   higher, \"woolier\"");
        row("Memo1", QAccessible::EditableText, "Text to send", "Text to be sent appears here");
        row("Memo2", QAccessible::EditableText, "Quickstart Instructions", "Get going in a hurry!");
        row("CSpeedEdit", QAccessible::EditableText, "Code Speed", "");
        row("SpeedEdit", QAccessible::EditableText, "Farnsworth Speed", "");
        row("Freqedit", QAccessible::EditableText, "Audio Frequency", "");
        row("CspeedScrollbar", QAccessible::ScrollBar, "Code Speed, 3 to 20", "Set the overall morse speed");
        row("SpeedScrollBar", QAccessible::ScrollBar, "Farnsworth Speed, 12 to 35",
            "Set the Farnsworth (character) speed");
        row("Freqscrollbar", QAccessible::ScrollBar, "Audio Frequency, 500 to 1000", "Set audio frequency for morse");
        row("Edit3", QAccessible::EditableText, "Enter Characters", "");
        row("Edit2", QAccessible::EditableText, "Text as sent", "");
        row("StartNumEdit", QAccessible::EditableText, "Characters to Start", "");
        row("UsingEdit", QAccessible::EditableText, "Characters in use", "");
        row("Chart1", QAccessible::Chart, "Error Histogram", nullptr);
        row("StatusBar1", QAccessible::StatusBar, "Status line", "");
        row("Panel1", QAccessible::Pane, "", "");  // a group of controls, not a window
        row("Kelvobutton", QAccessible::Button, "Start Kelvo", "Prepare for interactive learning process");
    }
    void controlsAreNamed() {
        QFETCH(QString, control);
        QFETCH(int, role);
        QFETCH(QString, name);
        QFETCH(QString, description);
        auto* w = form->findChild<QWidget*>(control);
        QVERIFY(w);
        QCOMPARE(int(Accessible(w)->role()), role);
        QCOMPARE(Name(w), name);
        if (!description.isNull()) QCOMPARE(Description(w), description);
    }

    // The two boxes the program writes report themselves read-only, not editable, and read out
    // their text; typing into them changes nothing.
    void readOnlyBoxesSaySo() {
        form->KelvobuttonClick();
        form->KelvoSendButtonClick();
        form->Edit2->setText(QStringLiteral("CQ"));
        for (QLineEdit* box : {form->UsingEdit, form->Edit2}) {
            QAccessibleInterface* a = Accessible(box);
            QVERIFY(a->state().readOnly);
            QVERIFY(!a->state().editable);
            QVERIFY(a->textInterface());
            QVERIFY(!a->editableTextInterface());
            const QString text = box->text();
            QCOMPARE(a->textInterface()->text(0, a->textInterface()->characterCount()), text);
            QCOMPARE(a->text(QAccessible::Value), text);
            box->setFocus();
            QTest::keyClicks(box, "77");
            QCOMPARE(box->text(), text);
        }
        QCOMPARE(form->UsingEdit->text(), QStringLiteral("1"));
    }

    // Tab runs from the top strip through the text to the value controls and the drill.
    void tabFollowsTheWindow() {
        const QList<QWidget*> expected{
            form->LoadFile,    form->Button1,         form->Edit1,          form->CheckBox2,      form->CheckBox1,
            form->Sendbutton,  form->Button2,         form->AbortButton,    form->Button4,        form->SpinEdit3,
            form->CheckBox3,   form->SpinEdit2,       form->Memo1,          form->Memo2,          form->Edit3,
            form->Button3,     form->Edit2,           form->CspeedScrollbar, form->CSpeedEdit,    form->SpeedScrollBar,
            form->SpeedEdit,   form->Freqscrollbar,   form->Freqedit,       form->Kelvobutton,    form->StartNumEdit,
            form->KelvoSendButton, form->UsingEdit,     form->Chart1,     form->KelvoStopButton,
        };
        QList<QWidget*> chain;
        QWidget* w = form->LoadFile;
        do {
            if (expected.contains(w)) chain << w;
            w = w->nextInFocusChain();
        } while (w != form->LoadFile && chain.size() < 2 * expected.size());
        QCOMPARE(chain, expected);
        for (QWidget* control : expected) QVERIFY2(control->focusPolicy() & Qt::TabFocus, qPrintable(control->objectName()));
        // Tab leaves the text boxes rather than typing a tab into them.
        QVERIFY(form->Memo1->tabChangesFocus());
        QVERIFY(form->Memo2->tabChangesFocus());
    }

    // The code-speed scale's name follows its range labels into the fast scale and back.
    void scaleNamesFollowTheSpeedScale() {
        form->FastMode1->trigger();
        QCOMPARE(Name(form->CspeedScrollbar), QStringLiteral("Code Speed, 6 to 40"));
        form->SlowMode1->trigger();
        QCOMPARE(Name(form->CspeedScrollbar), QStringLiteral("Code Speed, 3 to 20"));
        QCOMPARE(errors->Messages, QStringList());
    }

    // The chart's words follow every redraw: unlabelled while teaching, labelled after Stop Kelvo.
    void chartReadsItsBars() {
        form->KelvobuttonClick();
        QString words = ChartWords(*form);
        QVERIFY2(words.startsWith(QStringLiteral("Error weights: 1: 1.00, 2: 1.00, ")), qPrintable(words));
        QVERIFY(words.endsWith(QStringLiteral(", 40: 1.00")));
        QCOMPARE(words.count(QStringLiteral(": ")), 41);  // the lead-in and one per bar

        form->StartNumEdit->setText(QStringLiteral("5"));
        form->KelvoSendButtonClick();
        words = ChartWords(*form);
        QVERIFY2(words.startsWith(QStringLiteral("Error weights: 1: 0.20, 2: 0.20, 3: 0.20, 4: 0.20, 5: 0.20, 6: 1.00")),
                 qPrintable(words));

        form->KelvoStopButtonClick();
        words = ChartWords(*form);
        QVERIFY2(words.startsWith(QStringLiteral("Error weights: Q 0.20, 7 0.20, Z 0.20, G 0.20, 0 0.20, 9 1.00, ")),
                 qPrintable(words));
        QVERIFY(words.endsWith(QStringLiteral(", E 1.00, period 1.00, comma 1.00, question mark 1.00, slash 1.00")));
    }

    // The notepad's text box is named for what it holds, the about box's picture for what it is.
    void sideWindowsAreNamed() {
        TForm2 notepad;
        TAboutBox about;
        QCOMPARE(Name(notepad.Memo1), QStringLiteral("Notes"));
        QCOMPARE(Description(notepad.Memo1), QStringLiteral("Write your notes about progress in here."));
        QCOMPARE(Name(notepad.Memo1->verticalScrollBar()), QStringLiteral("Notes, scroll position"));
        QCOMPARE(Name(notepad.Button1), QStringLiteral("Save Notepad"));
        QCOMPARE(Name(about.ProgramIcon), QStringLiteral("Program icon"));
        QCOMPARE(Name(about.OKButton), QStringLiteral("OK"));
        QCOMPARE(Name(&about), QStringLiteral("About  this version of Kelvo"));
    }

private:
    std::shared_ptr<WaveOutCapture> capture;
    std::unique_ptr<test::ErrorRecorder> errors;
    std::unique_ptr<TForm1> form;
};

QTEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
