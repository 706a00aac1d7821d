// SaveEnvironment and LoadEnvironment: the five lines of "Kelvoinit.txt", the scrollbars moved
// only through their clamp-and-change rule, and the failures at the step where they happen.
#include "gui_fixture.h"
#include "ui/main/form1.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>

#include <functional>
#include <memory>

using namespace kelvo;

class SettingsFileTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        dir = std::make_unique<test::ScopedWorkDir>();
        errors = std::make_unique<test::ErrorRecorder>();
        form = std::make_unique<TForm1>();
    }
    void cleanup() {
        form.reset();
        errors.reset();
        dir.reset();
    }

    void savesPositionsAndBoxTexts() {
        const struct {
            const char* name;
            std::function<void(TForm1&)> setUp;
            QByteArray file;
        } cases[] = {
            {"right after start", [](TForm1&) {}, "1\r\n5\r\n14\r\n800\r\n1\r\n"},
            {"fast scale: the position, not the box",
             [](TForm1& f) {
                 f.FastMode = true;
                 f.CspeedScrollbar->SetPosition(10);
                 QCOMPARE(f.CSpeedEdit->text(), QStringLiteral("20"));
             },
             "1\r\n10\r\n14\r\n800\r\n1\r\n"},
            {"a speed typed without Enter is not kept", [](TForm1& f) { f.SpeedEdit->setText("25"); },
             "1\r\n5\r\n14\r\n800\r\n1\r\n"},
            {"texts as typed, an empty first line included",
             [](TForm1& f) {
                 f.Edit1->setText("");
                 f.UsingEdit->setText("12");
                 f.Freqscrollbar->SetPosition(650);
             },
             "\r\n5\r\n14\r\n650\r\n12\r\n"},
        };
        for (const auto& c : cases) {
            cleanup();  // a fresh window and folder for each case
            init();
            c.setUp(*form);
            form->SaveEnv1->trigger();
            QVERIFY2(errors->Messages.isEmpty(), c.name);
            QVERIFY2(test::FileBytes(dir->file("Kelvoinit.txt")) == c.file, c.name);
            QStringList stored = QString::fromLatin1(c.file).split(QStringLiteral("\r\n"));
            stored.removeLast();
            QCOMPARE(TForm1::MemoLines(form->Memo3), stored);
            QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                     QStringList{"Kelvoinit.txt"});  // no temporary file left beside it
        }
    }

    void saveReplacesAFileWhateverItsLetterCase() {
        test::WriteFile(dir->file("KELVOINIT.TXT"), "old\r\n");
        form->SaveEnv1Click();
        QCOMPARE(test::FileBytes(dir->file("KELVOINIT.TXT")), QByteArray("1\r\n5\r\n14\r\n800\r\n1\r\n"));
        QVERIFY(!QFile::exists(dir->file("Kelvoinit.txt")));
    }

    void saveFailureShowsTheErrorAndKeepsTheLinesInTheStore() {
        QVERIFY(QDir(dir->path()).mkdir("Kelvoinit.txt"));
        form->SaveEnv1->trigger();
        QCOMPARE(errors->Messages, QStringList{"Cannot create file Kelvoinit.txt"});
        QCOMPARE(TForm1::MemoLines(form->Memo3), (QStringList{"1", "5", "14", "800", "1"}));
        QVERIFY(QFileInfo(dir->file("Kelvoinit.txt")).isDir());
    }

    void load_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("practice");
        QTest::addColumn<QList<int>>("positions");
        QTest::addColumn<QStringList>("boxes");  // code speed, character speed, frequency
        QTest::addColumn<QString>("count");      // StartNumEdit and UsingEdit
        QTest::addColumn<QStringList>("messages");
        const QList<int> start = {5, 14, 800};
        const QStringList startBoxes = {"5", "14", "800"};
        QTest::newRow("five CR LF lines") << "Kelvoinit.txt" << QByteArray("7\r\n9\r\n20\r\n650\r\n4\r\n") << "7"
                                          << QList<int>{9, 20, 650} << QStringList{"9", "20", "650"} << "4"
                                          << QStringList{};
        QTest::newRow("LF only") << "Kelvoinit.txt" << QByteArray("7\n9\n20\n650\n4\n") << "7"
                                 << QList<int>{9, 20, 650} << QStringList{"9", "20", "650"} << "4" << QStringList{};
        QTest::newRow("lone CR, no final end") << "Kelvoinit.txt" << QByteArray("7\r9\r20\r650\r4") << "7"
                                               << QList<int>{9, 20, 650} << QStringList{"9", "20", "650"} << "4"
                                               << QStringList{};
        QTest::newRow("name in another letter case")
            << "kelvoINIT.txt" << QByteArray("7\r\n9\r\n20\r\n650\r\n4\r\n") << "7" << QList<int>{9, 20, 650}
            << QStringList{"9", "20", "650"} << "4" << QStringList{};
        QTest::newRow("out of range: limited by the scrollbars")
            << "Kelvoinit.txt" << QByteArray("2\r\n1\r\n50\r\n5000\r\n3\r\n") << "2" << QList<int>{3, 35, 1000}
            << QStringList{"3", "35", "1000"} << "3" << QStringList{};
        QTest::newRow("lines after the fifth ignored")
            << "Kelvoinit.txt" << QByteArray("7\r\n9\r\n20\r\n650\r\n4\r\n99\r\nx\r\n") << "7"
            << QList<int>{9, 20, 650} << QStringList{"9", "20", "650"} << "4" << QStringList{};
        QTest::newRow("three lines: error at the frequency")
            << "Kelvoinit.txt" << QByteArray("7\r\n9\r\n20\r\n") << "7" << QList<int>{9, 20, 800}
            << QStringList{"9", "20", "800"} << "1" << QStringList{"'' is not a valid integer value"};
        QTest::newRow("four lines: character counts emptied")
            << "Kelvoinit.txt" << QByteArray("7\r\n9\r\n20\r\n650\r\n") << "7" << QList<int>{9, 20, 650}
            << QStringList{"9", "20", "650"} << "" << QStringList{};
        QTest::newRow("code speed not a number: stops there")
            << "Kelvoinit.txt" << QByteArray("3\r\nfast\r\n20\r\n650\r\n4\r\n") << "3" << start << startBoxes
            << "1" << QStringList{"'fast' is not a valid integer value"};
        QTest::newRow("empty file") << "Kelvoinit.txt" << QByteArray() << "" << start << startBoxes << "1"
                                    << QStringList{"'' is not a valid integer value"};
    }

    void load() {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        test::WriteFile(dir->file(fileName), content);
        form->LoadEnv1->trigger();
        QTEST(errors->Messages, "messages");
        QTEST(form->Edit1->text(), "practice");
        QTEST((QList<int>{form->CspeedScrollbar->Position(), form->SpeedScrollBar->Position(),
                          form->Freqscrollbar->Position()}),
              "positions");
        QFETCH(QStringList, boxes);
        QCOMPARE((QStringList{form->CSpeedEdit->text(), form->SpeedEdit->text(), form->Freqedit->text()}), boxes);
        // The change handlers ran SetSpeed, so the timing follows the boxes.
        QCOMPARE(form->CodeSpeed, boxes[0].toDouble());
        QCOMPARE(form->CharSpeed, boxes[1].toDouble());
        QCOMPARE(form->ToneFreq, boxes[2].toDouble());
        QTEST(form->StartNumEdit->text(), "count");
        QTEST(form->UsingEdit->text(), "count");
        QStringList stored = QString::fromLatin1(content).split(QRegularExpression("\r\n|\r|\n"));
        if (stored.last().isEmpty()) stored.removeLast();
        if (stored.isEmpty()) stored << QString();
        QCOMPARE(TForm1::MemoLines(form->Memo3), stored);  // the line store holds the file
    }

    void fastScaleFollowsTheCurrentModeOnLoad() {
        form->FastMode = true;
        form->CspeedScrollbar->SetPosition(10);
        form->SaveEnv1Click();
        form->CspeedScrollbar->SetPosition(4);
        form->LoadEnv1Click();
        QCOMPARE(form->CSpeedEdit->text(), QStringLiteral("20"));
        QCOMPARE(form->CodeSpeed, 20.0);
        form->FastMode = false;
        form->CspeedScrollbar->SetPosition(4);
        form->LoadEnv1Click();
        QCOMPARE(form->CSpeedEdit->text(), QStringLiteral("10"));
        QCOMPARE(form->CodeSpeed, 10.0);
        QVERIFY(errors->Messages.isEmpty());
    }

    void loadingTheCurrentPositionsRunsNoHandler() {
        test::WriteFile(dir->file("Kelvoinit.txt"), "1\r\n5\r\n14\r\n800\r\n1\r\n");
        // A SetSpeed or a change handler would rewrite these boxes or fail on them.
        form->CSpeedEdit->setText("typed");
        form->SpeedEdit->setText("25");
        form->Freqedit->setText("x");
        form->LoadEnv1Click();
        QVERIFY(errors->Messages.isEmpty());
        QCOMPARE(form->CSpeedEdit->text(), QStringLiteral("typed"));
        QCOMPARE(form->SpeedEdit->text(), QStringLiteral("25"));
        QCOMPARE(form->Freqedit->text(), QStringLiteral("x"));
        QCOMPARE(form->CharSpeed, 14.0);
    }

    // The code-speed scrollbar moves and its handler cannot read the character-speed box: the
    // load stops at that step, so the later scrollbars and the count boxes are not touched.
    void aFailingChangeHandlerStopsTheLoad() {
        test::WriteFile(dir->file("Kelvoinit.txt"), "7\r\n9\r\n20\r\n650\r\n4\r\n");
        form->SpeedEdit->setText("x");
        form->LoadEnv1->trigger();
        QCOMPARE(errors->Messages, QStringList{"'x' is not a valid integer value"});
        QCOMPARE(form->Edit1->text(), QStringLiteral("7"));
        QCOMPARE(form->CspeedScrollbar->Position(), 9);
        QCOMPARE(form->SpeedScrollBar->Position(), 14);
        QCOMPARE(form->Freqscrollbar->Position(), 800);
        QCOMPARE(form->StartNumEdit->text(), QStringLiteral("1"));
        QCOMPARE(form->UsingEdit->text(), QStringLiteral("1"));
    }

    void missingFileChangesNothing() {
        form->Edit1->setText("42");
        form->Memo3->setPlainText("a practice block");
        form->UsingEdit->setText("9");
        form->LoadEnv1->trigger();
        QCOMPARE(errors->Messages, QStringList{"Cannot open file Kelvoinit.txt"});
        QCOMPARE(form->Edit1->text(), QStringLiteral("42"));
        QCOMPARE(form->UsingEdit->text(), QStringLiteral("9"));
        QCOMPARE(form->Memo3->toPlainText(), QStringLiteral("a practice block"));
        QCOMPARE(form->CspeedScrollbar->Position(), 5);
    }

private:
    std::unique_ptr<test::ScopedWorkDir> dir;
    std::unique_ptr<test::ErrorRecorder> errors;
    std::unique_ptr<TForm1> form;
};

KELVO_GUI_TEST_MAIN(SettingsFileTest)
#include "test_settings_file.moc"
