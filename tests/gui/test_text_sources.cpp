// The ways text gets into the send box: numbered practice texts, random groups, the dit string
// and any text file, driven through the window.
#include "gui_fixture.h"
#include "sources/group_generator.h"
#include "ui/main/form1.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <memory>

using namespace kelvo;

namespace {

// Block `block` of a small library whose text n reads "text n".
void WriteBlock(const QString& name, int block, int count) {
    QByteArray bytes;
    for (int line = 1; line <= count; ++line) bytes += "text " + QByteArray::number(block * 100 + line) + "\r\n";
    test::WriteFile(name, bytes);
}

QString Memo1(const TForm1& form) { return form.Memo1->toPlainText(); }

}  // namespace

class TextSourcesTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        dir = std::make_unique<test::ScopedWorkDir>();
        form = std::make_unique<TForm1>();
        errors = std::make_unique<test::ErrorRecorder>();
    }
    void cleanup() {
        errors.reset();
        form.reset();
        dir.reset();
        TOpenDialog::SetTestAnswer({});
    }

    // ---- practice texts ----

    void loadsTheNumberedTextAndMovesOn_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("next");
        QTest::addColumn<int>("practiceNumber");
        QTest::newRow("first") << "1" << "text 1" << "2" << 2;
        QTest::newRow("end of a block") << "100" << "text 100" << "101" << 101;
        QTest::newRow("start of the next") << "101" << "text 101" << "102" << 102;
        QTest::newRow("last that advances") << "948" << "text 948" << "949" << 949;
        QTest::newRow("949 stays") << "949" << "text 949" << "949" << 949;
        QTest::newRow("950 stays") << "950" << "text 950" << "950" << 950;
        QTest::newRow("zero") << "0" << "" << "1" << 1;
        QTest::newRow("above the library") << "951" << "" << "951" << 951;
        QTest::newRow("negative") << "-5" << "" << "-4" << -4;
    }
    void loadsTheNumberedTextAndMovesOn() {
        QFETCH(QString, number);
        QFETCH(QString, text);
        QFETCH(QString, next);
        QFETCH(int, practiceNumber);
        WriteBlock("P0", 0, 100);
        WriteBlock("P1", 1, 100);
        WriteBlock("P9", 9, 50);
        form->Memo1->setPlainText(QStringLiteral("old text"));
        form->Edit1->setText(number);
        form->Button1->click();
        QCOMPARE(Memo1(*form), text);
        QCOMPARE(form->Edit1->text(), next);
        QCOMPARE(form->PracticeNumber, practiceNumber);
        QVERIFY(form->Memo2->isHidden());
        QVERIFY(!form->CheckBox2->isChecked());
        QVERIFY(form->Label10->isHidden());
        QCOMPARE(errors->Messages, QStringList());
    }

    void repeatedClicksWalkThroughTheTexts() {
        WriteBlock("P0", 0, 100);
        WriteBlock("P1", 1, 100);
        form->Edit1->setText(QStringLiteral("99"));
        QStringList loaded;
        for (int i = 0; i < 3; ++i) {
            form->Button1->click();
            loaded << Memo1(*form);
        }
        QCOMPARE(loaded, QStringList({"text 99", "text 100", "text 101"}));
    }

    void hiddenCodeSwitchesTheScaleOnly() {
        form->Memo1->setPlainText(QStringLiteral("keep"));
        form->CSpeedEdit->setText(QStringLiteral("7"));  // typed, no Enter: SetSpeed reads it
        form->Edit1->setText(QStringLiteral("jq"));
        form->Button1->click();
        QVERIFY(form->FastMode);
        QCOMPARE(form->CodeSpeed, 7.0);
        QCOMPARE(form->CSpeedEdit->text(), QStringLiteral("7"));
        QCOMPARE(form->Label2->text(), QStringLiteral("3"));
        QCOMPARE(form->Label9->text(), QStringLiteral("20"));
        QCOMPARE(Memo1(*form), QStringLiteral("keep"));
        QCOMPARE(form->Edit1->text(), QStringLiteral("jq"));
        QCOMPARE(form->PracticeNumber, 1);
        QVERIFY(!form->Memo2->isHidden());
        form->Button1->click();
        QVERIFY(form->FastMode);
        QCOMPARE(form->CSpeedEdit->text(), QStringLiteral("7"));
        QCOMPARE(errors->Messages, QStringList());
        // The scale shows once the scrollbar moves.
        form->CspeedScrollbar->SetPosition(6);
        QCOMPARE(form->CSpeedEdit->text(), QStringLiteral("12"));
    }

    void capitalCodeIsAnInvalidNumber() {
        form->Memo1->setPlainText(QStringLiteral("keep"));
        form->Edit1->setText(QStringLiteral("JQ"));
        form->Button1->click();
        QCOMPARE(errors->Messages, QStringList{"'JQ' is not a valid integer value"});
        QVERIFY(!form->FastMode);
        QCOMPARE(Memo1(*form), QString());
        QVERIFY(form->Memo2->isHidden());
        QCOMPARE(form->Edit1->text(), QStringLiteral("JQ"));
        QCOMPARE(form->PracticeNumber, 1);
    }

    void missingBlockFile() {
        WriteBlock("P0", 0, 100);
        TForm1::SetMemoText(form->Memo3, QStringLiteral("line store"));
        form->Memo1->setPlainText(QStringLiteral("old text"));
        form->Edit1->setText(QStringLiteral("301"));
        form->Button1->click();
        QCOMPARE(errors->Messages, QStringList{"Cannot open file P3"});
        QCOMPARE(Memo1(*form), QString());
        QCOMPARE(form->PracticeNumber, 301);
        QCOMPARE(form->Edit1->text(), QStringLiteral("301"));
        QCOMPARE(TForm1::MemoLines(form->Memo3), QStringList{"line store"});
    }

    void blockIsReadAfreshAtEveryLoad() {
        test::WriteFile("P0", "first version\r\n");
        form->Button1->click();
        QCOMPARE(Memo1(*form), QStringLiteral("first version"));
        TForm1::SetMemoText(form->Memo3, QStringLiteral("used by something else"));
        test::WriteFile("P0", "second version\nsecond line\n");
        form->Edit1->setText(QStringLiteral("1"));
        form->Button1->click();
        QCOMPARE(Memo1(*form), QStringLiteral("second version"));
        QCOMPARE(errors->Messages, QStringList());
    }

    // A line separator is a character of its text, not a line of the block.
    void lineSeparatorStaysInsideItsText() {
        test::WriteFile("P0", "one\xE2\x80\xA8" "still one\r\ntwo\r\n");
        form->Edit1->setText(QStringLiteral("2"));
        form->Button1->click();
        QCOMPARE(TForm1::MemoText(form->Memo1), QStringLiteral("two"));
    }

    void blockNameIgnoresLetterCase() {
        WriteBlock("p3", 3, 100);
        form->Edit1->setText(QStringLiteral("342"));
        form->Button1->click();
        QCOMPARE(Memo1(*form), QStringLiteral("text 342"));
        QCOMPARE(errors->Messages, QStringList());
    }

    // Only CR, LF and CR LF end a line of a block: a Unicode line or paragraph separator inside
    // a text must not move the texts after it.
    void textNumberIsTheFileLineWhateverTheTextHolds() {
        test::WriteFile("P0", "one\xE2\x80\xA8half\r\ntwo\xE2\x80\xA9half\r\nthree\r\n");
        form->Edit1->setText(QStringLiteral("3"));
        form->Button1->click();
        QCOMPARE(Memo1(*form), QStringLiteral("three"));
        QCOMPARE(errors->Messages, QStringList());
    }

    void shortBlockGivesAnEmptyText() {
        WriteBlock("P0", 0, 3);
        form->Edit1->setText(QStringLiteral("5"));
        form->Button1->click();
        QCOMPARE(Memo1(*form), QString());
        QCOMPARE(form->Edit1->text(), QStringLiteral("6"));
        QCOMPARE(errors->Messages, QStringList());
    }

    void loadHidesTheChartPanel_data() {
        QTest::addColumn<bool>("fromFile");
        QTest::newRow("practice text") << false;
        QTest::newRow("any file") << true;
    }
    void loadHidesTheChartPanel() {
        QFETCH(bool, fromFile);
        WriteBlock("P0", 0, 100);
        TOpenDialog::SetTestAnswer([](const TOpenDialog&) { return std::optional<QString>(QStringLiteral("P0")); });
        const int shortHeight = form->ClientHeight();
        // Teaching shows the panel and makes the window taller by its height.
        form->Panel2->show();
        form->SetClientHeight(shortHeight + ChartPanelHeight);
        const auto load = [&] { fromFile ? form->LoadFile->click() : form->Button1->click(); };
        load();
        QVERIFY(form->Panel2->isHidden());
        QCOMPARE(form->ClientHeight(), shortHeight);
        load();
        QCOMPARE(form->ClientHeight(), shortHeight);
        QCOMPARE(errors->Messages, QStringList());
    }

    void realPracticeTexts() {
        const QString data = qEnvironmentVariable("KELVO_SOURCE_DIR") + QStringLiteral("/data/");
        for (int block = 0; block <= 9; ++block) {
            const QString name = QStringLiteral("P%1").arg(block);
            QVERIFY2(QFile::copy(data + name, name), qPrintable(data + name));
        }
        // Each text against its line in the block file, read here on its own.
        const auto lineOf = [](const QString& name, int line) {
            QFile file(name);
            if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("<unreadable>");
            const QList<QByteArray> lines = file.readAll().split('\n');
            return QString::fromUtf8(lines.value(line - 1)).remove(QLatin1Char('\r'));
        };
        const struct { int number; const char* block; int line; } texts[] = {
            {1, "P0", 1}, {100, "P0", 100}, {101, "P1", 1}, {555, "P5", 55}, {901, "P9", 1}, {950, "P9", 50}};
        for (const auto& t : texts) {
            form->Edit1->setText(QString::number(t.number));
            form->Button1->click();
            const QString expected = lineOf(QString::fromLatin1(t.block), t.line);
            QVERIFY(!expected.isEmpty());
            QCOMPARE(Memo1(*form), expected);
        }
        QCOMPARE(errors->Messages, QStringList());
        // Every text sounds as it reads: "-" would be keyed as BT, and an operator who thanks the
        // other by his own name reads as a slip.
        const QRegularExpression thanked(QStringLiteral("TNX (\\w+) FER RPT"));
        for (int block = 0; block <= 9; ++block) {
            QFile file(QStringLiteral("P%1").arg(block));
            QVERIFY(file.open(QIODevice::ReadOnly));
            for (const QByteArray& line : file.readAll().split('\n')) {
                const QString text = QString::fromLatin1(line);
                QVERIFY2(!text.contains(QLatin1Char('-')), qPrintable(text));
                if (const QRegularExpressionMatch m = thanked.match(text); m.hasMatch()) {
                    const QRegularExpression own(QStringLiteral("\\b(NAME|OP)( HR)?( IS)? %1\\b").arg(m.captured(1)));
                    QVERIFY2(!own.match(text).hasMatch(), qPrintable(text));
                }
            }
        }
    }

    // What the sources put into the send box is what goes out; a send ends the lock on teaching.
    void loadedTextsAreSent() {
        form.reset();
        const auto capture = test::UseCaptureDevice();
        form = std::make_unique<TForm1>();
        test::KeyAt20Wpm(*form);
        test::WriteFile("P0", "E T\r\n");
        form->Button1->click();
        form->Sendbutton->click();
        QCOMPARE(form->SentText, QStringLiteral("E T"));
        const std::size_t practiceSamples = test::SamplesWhenQueued(*capture, 1).size();
        QVERIFY(practiceSamples > 0);

        test::WriteFile("text.txt", "TE\r\n");
        TOpenDialog::SetTestAnswer([](const TOpenDialog&) { return std::optional<QString>(QStringLiteral("text.txt")); });
        form->LoadFile->click();
        QVERIFY(!form->Kelvobutton->isEnabled());
        form->Sendbutton->click();
        QCOMPARE(form->SentText, QStringLiteral("TE"));
        QVERIFY(test::SamplesWhenQueued(*capture, practiceSamples + 1).size() > practiceSamples);
        QVERIFY(form->Kelvobutton->isEnabled());
        QCOMPARE(errors->Messages, QStringList());
    }

    // ---- random groups and dits ----

    void randomCharsShowsTheEntryAndInstructions() {
        form->RandChars1->trigger();
        QCOMPARE(TForm1::MemoLines(form->Memo1),
                 QStringList({"Enter characters, no spaces, in the `Enter Characters' box.",
                              "Then click the button labelled `Generate'",
                              "A random string of them will appear in this box.",
                              "After they appear, click the `send text' button to send them"}));
        for (QWidget* w : {static_cast<QWidget*>(form->Button3), static_cast<QWidget*>(form->Edit3),
                           static_cast<QWidget*>(form->Label15)})
            QVERIFY2(!w->isHidden(), qPrintable(w->objectName()));
        QVERIFY(form->Memo2->isHidden());
        QVERIFY(!form->CheckBox2->isChecked());
    }

    void generatesGroupsFromTheTypedCharacters_data() {
        QTest::addColumn<QString>("chars");
        QTest::newRow("two letters") << QStringLiteral("AB");
        QTest::newRow("beyond one byte") << QStringLiteral("\u00C4\u0416");
    }
    void generatesGroupsFromTheTypedCharacters() {
        QFETCH(QString, chars);
        form->RandChars1->trigger();
        form->Edit3->setText(chars);
        form->Button3->click();
        const QString groups = Memo1(*form);
        QCOMPARE(form->GroupChars, chars);
        QVERIFY(!groups.contains(QLatin1Char('\n')));
        QString letters = groups;
        letters.remove(QLatin1Char(' '));
        QCOMPARE(letters.size(), GroupStringChars);
        for (const QChar c : letters) QVERIFY(chars.contains(c));
        for (const QChar c : chars) QVERIFY2(!letters.contains(QString(3, c)), qPrintable(groups));  // also across spaces
        for (const QString& group : groups.split(QLatin1Char(' '))) QVERIFY(group.size() <= GroupDraws);
        QVERIFY(groups.count(QLatin1Char(' ')) >= GroupStringChars / GroupDraws);  // 63 or more draws
        for (QWidget* w : {static_cast<QWidget*>(form->Button3), static_cast<QWidget*>(form->Edit3),
                           static_cast<QWidget*>(form->Label15)})
            QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
        QCOMPARE(errors->Messages, QStringList());
    }

    void oneDistinctCharacterIsRefusedInTheStatusLine() {
        form->RandChars1->trigger();
        form->Memo1->setPlainText(QStringLiteral("as it was"));
        form->Edit3->setText(QStringLiteral("AAA"));
        form->Button3->click();
        QCOMPARE(form->StatusBar1->SimpleText(), QString::fromUtf8(SingleGroupCharMessage));
        QCOMPARE(Memo1(*form), QStringLiteral("as it was"));
        QCOMPARE(errors->Messages, QStringList());
        QVERIFY(!form->Button3->isHidden());  // ready for another try
        QVERIFY(!form->Edit3->isHidden());
        form->Edit3->setText(QStringLiteral("AB"));
        form->Button3->click();
        QCOMPARE(form->StatusBar1->SimpleText(), QString());  // the refusal is gone with its cause
    }

    void emptyEntryGeneratesNothing() {
        form->RandChars1->trigger();
        form->Memo1->setPlainText(QStringLiteral("as it was"));
        const QString status = form->StatusBar1->SimpleText();
        form->Button3->click();
        QCOMPARE(Memo1(*form), QStringLiteral("as it was"));
        QCOMPARE(form->StatusBar1->SimpleText(), status);
        QVERIFY(!form->Button3->isHidden());
        QCOMPARE(errors->Messages, QStringList());
    }

    void ditsReplaceTheText() {
        form->Memo1->setPlainText(QStringLiteral("some\ntext"));
        form->Dits1->trigger();
        QCOMPARE(Memo1(*form), QStringLiteral("@@@@@@@@@@"));
        QCOMPARE(TForm1::MemoText(form->Memo1), QStringLiteral("@@@@@@@@@@"));
    }

    // ---- any text file ----

    void loadsAFileWithEveryCharacter() {
        // A Latin-1 e acute and a UTF-8 euro sign, lines ended three ways.
        test::WriteFile("mixed.txt", "caf\xE9 \xE2\x82\xAC 5\r\nsecond\rthird\nlast");
        QString initialDir;
        TOpenDialog::SetTestAnswer([&](const TOpenDialog& dialog) {
            initialDir = dialog.InitialDir;
            return std::optional<QString>(dir->file(QStringLiteral("MIXED.TXT")));
        });
        form->SendPos = 7;
        form->SentText = QStringLiteral("sent before");
        form->LoadFile->click();
        QCOMPARE(errors->Messages, QStringList());
        QCOMPARE(initialDir, QStringLiteral("."));
        QCOMPARE(TForm1::MemoLines(form->Memo1),
                 QStringList({QStringLiteral("caf\u00E9 \u20AC 5"), "second", "third", "last"}));
        QVERIFY(!form->Kelvobutton->isEnabled());
        QCOMPARE(form->SendPos, 1);
        QCOMPARE(form->SentText, QString());
        QCOMPARE(form->StatusBar1->SimpleText(), QStringLiteral("Press <Send Text> to start sending"));
        QVERIFY(form->Memo2->isHidden());
        QVERIFY(!form->CheckBox2->isChecked());
        QVERIFY(form->Label10->isHidden());
        QVERIFY(form->UsingEdit->isHidden());
    }

    void cancelKeepsTheTextAndStartsOver_data() {
        QTest::addColumn<bool>("kelvoEnabled");
        QTest::newRow("Start Kelvo enabled") << true;
        QTest::newRow("Start Kelvo disabled") << false;
    }
    void cancelKeepsTheTextAndStartsOver() {
        QFETCH(bool, kelvoEnabled);
        form->Memo1->setPlainText(QStringLiteral("loaded before"));
        form->Kelvobutton->setEnabled(kelvoEnabled);
        form->SendPos = 5;
        form->SentText = QStringLiteral("load");
        TOpenDialog::SetTestAnswer([](const TOpenDialog&) { return std::optional<QString>(); });
        form->LoadFile->click();
        QCOMPARE(Memo1(*form), QStringLiteral("loaded before"));
        QCOMPARE(form->Kelvobutton->isEnabled(), kelvoEnabled);
        QCOMPARE(form->SendPos, 1);
        QCOMPARE(form->SentText, QString());
        QCOMPARE(form->StatusBar1->SimpleText(), QStringLiteral("Press <Send Text> to start sending"));
        QCOMPARE(errors->Messages, QStringList());
    }

    void unreadableFileChangesNothingElse() {
        const QString missing = dir->file(QStringLiteral("gone.txt"));
        TOpenDialog::SetTestAnswer([&](const TOpenDialog&) { return std::optional<QString>(missing); });
        form->Memo1->setPlainText(QStringLiteral("loaded before"));
        form->SendPos = 5;
        form->LoadFile->click();
        QCOMPARE(errors->Messages, QStringList{QStringLiteral("Cannot open file %1").arg(missing)});
        QCOMPARE(Memo1(*form), QStringLiteral("loaded before"));
        QVERIFY(form->Kelvobutton->isEnabled());
        QCOMPARE(form->SendPos, 5);
        QCOMPARE(form->StatusBar1->SimpleText(), QStringLiteral("Choose a test (ASCII) file to load"));
    }

private:
    std::unique_ptr<test::ScopedWorkDir> dir;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<test::ErrorRecorder> errors;
};

KELVO_GUI_TEST_MAIN(TextSourcesTest)
#include "test_text_sources.moc"
