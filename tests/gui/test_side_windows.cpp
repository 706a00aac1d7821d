// The notepad, the help command and the about box: what they show, where they open, the
// notepad file's round trip and failures, and that neither side window blocks the main window.
#include "gui_fixture.h"
#include "platform/shell_open.h"
#include "ui/main/form1.h"
#include "ui/side/about_box.h"
#include "ui/side/notepad.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>

#include <memory>
#include <unistd.h>

using namespace kelvo;

namespace {

bool CentredOnScreen(const QWidget* w) {
    const QPoint centre = w->screen()->availableGeometry().center();
    return (w->frameGeometry().center() - centre).manhattanLength() <= 2;
}

}  // namespace

class SideWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        dir = std::make_unique<test::ScopedWorkDir>();
        errors = std::make_unique<test::ErrorRecorder>();
        // As the program entry does: the main window, then the notepad, then the about box.
        form = std::make_unique<TForm1>();
        notepad = std::make_unique<TForm2>();
        about = std::make_unique<TAboutBox>();
        form->Form2 = notepad.get();
        form->AboutBox = about.get();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void cleanup() {
        SetShellOpenHandler({});
        form.reset();
        about.reset();
        notepad.reset();
        errors.reset();
        dir.reset();
    }

    void notepadLooksAsDesignedAndItsTextFollowsEveryEdge() {
        QVERIFY(!notepad->isVisible());
        QCOMPARE(notepad->windowTitle(), QStringLiteral("Note Pad:  Enter and edit notes here."));
        QCOMPARE(notepad->toolTip(), QStringLiteral("NotePad form:  Re-size as necessary."));
        QCOMPARE(notepad->Button1->text(), QStringLiteral("Save Notepad"));
        QCOMPARE(notepad->Button1->toolTip(), QStringLiteral("Click to save your notes."));
        QCOMPARE(notepad->Memo1->toolTip(), QStringLiteral("Write your notes about progress in here."));
        QCOMPARE(notepad->Memo1->font().pixelSize(), 13);
        QCOMPARE(notepad->Memo1->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(notepad->Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(notepad->Memo1->toPlainText(), QString());
        QCOMPARE(notepad->size(), QSize(317, 327));
        form->Notepad1->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(notepad.get()));
        const QRect before = notepad->Memo1->geometry();
        notepad->resize(317 + 120, 327 + 60);
        QTRY_COMPARE(notepad->Memo1->geometry(), before.adjusted(0, 0, 120, 60));
        notepad->resize(317 - 40, 327 - 30);
        QTRY_COMPARE(notepad->Memo1->geometry(), before.adjusted(0, 0, -40, -30));
    }

    void firstNotepadWithoutAFileIsEmptyAndCentred() {
        form->Notepad1->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(notepad.get()));
        QVERIFY(errors->Messages.isEmpty());
        QCOMPARE(notepad->Memo1->toPlainText(), QString());
        QVERIFY(CentredOnScreen(notepad.get()));
        // Without a file, reopening keeps the text and the place.
        notepad->Memo1->setPlainText("unsaved");
        notepad->move(notepad->pos() + QPoint(13, 17));
        const QPoint moved = notepad->pos();
        notepad->close();
        form->Notepad1Click();
        QCOMPARE(notepad->Memo1->toPlainText(), QStringLiteral("unsaved"));
        QCOMPARE(notepad->pos(), moved);
    }

    void savedNotesComeBackBesideTheMainWindow() {
        form->move(300, 200);
        form->Notepad1Click();
        notepad->Memo1->setPlainText("day 1: K M R\nday 2: S U");
        QTest::mouseClick(notepad->Button1, Qt::LeftButton);
        QVERIFY(errors->Messages.isEmpty());
        QCOMPARE(test::FileBytes(dir->file("Notepad.txt")), QByteArray("day 1: K M R\r\nday 2: S U\r\n"));
        QVERIFY(notepad->isVisible());  // the notepad stays open after saving
        notepad->close();
        QVERIFY(!notepad->isVisible());
        notepad->Memo1->setPlainText("typed but never saved");
        form->Notepad1->trigger();
        QVERIFY(notepad->isVisible());
        QCOMPARE(notepad->Memo1->toPlainText(), QStringLiteral("day 1: K M R\nday 2: S U"));
        QCOMPARE(notepad->pos(), form->pos() + QPoint(-50, 75));
        // Every Notepad command reloads, also while the window is open.
        notepad->Memo1->setPlainText("more, unsaved");
        form->move(320, 240);
        form->Notepad1Click();
        QCOMPARE(notepad->Memo1->toPlainText(), QStringLiteral("day 1: K M R\nday 2: S U"));
        QTRY_COMPARE(notepad->pos(), form->pos() + QPoint(-50, 75));
    }

    void notepadFileLineEnds_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("notes");
        QTest::newRow("CR LF") << QByteArray("one\r\ntwo\r\n") << "one\ntwo";
        QTest::newRow("LF") << QByteArray("one\ntwo\n\nfour") << "one\ntwo\n\nfour";
        QTest::newRow("lone CR") << QByteArray("one\rtwo\r") << "one\ntwo";
        QTest::newRow("mixed") << QByteArray("a\rb\nc\r\nd") << "a\nb\nc\nd";
        QTest::newRow("empty lines at the end") << QByteArray("a\r\n\r\n\r\n") << "a\n\n";
        QTest::newRow("Latin-1 byte") << QByteArray("73 de F\xF6rde") << QString::fromUtf8("73 de Förde");
    }

    void notepadFileLineEnds() {
        QFETCH(QByteArray, file);
        QFETCH(QString, notes);
        test::WriteFile(dir->file("Notepad.txt"), file);
        form->Notepad1Click();
        QCOMPARE(notepad->Memo1->toPlainText(), notes);
    }

    void saveAndReloadGiveBackExactlyTheSameText() {
        const QString texts[] = {"", "one line", "ends with a break\n", "\n\nstarts with two breaks",
                                 "two at the end\n\n", "a\n\nb"};
        for (const QString& text : texts) {
            notepad->Memo1->setPlainText(text);
            notepad->Button1Click();
            const QByteArray saved = test::FileBytes(dir->file("Notepad.txt"));
            notepad->Memo1->setPlainText("replaced");
            form->Notepad1Click();
            QCOMPARE(notepad->Memo1->toPlainText(), text);
            notepad->Button1Click();  // a second cycle writes the same bytes: nothing grows
            QCOMPARE(test::FileBytes(dir->file("Notepad.txt")), saved);
        }
        QVERIFY(errors->Messages.isEmpty());
    }

    void notepadFileNameIgnoresLetterCase() {
        test::WriteFile(dir->file("notepad.TXT"), "found\r\n");
        form->Notepad1Click();
        QCOMPARE(notepad->Memo1->toPlainText(), QStringLiteral("found"));
        notepad->Memo1->setPlainText("saved into the same file");
        notepad->Button1Click();
        QCOMPARE(test::FileBytes(dir->file("notepad.TXT")), QByteArray("saved into the same file\r\n"));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList{"notepad.TXT"});
    }

    void saveFailureKeepsTheTextAndTheOldFile() {
        QVERIFY(QDir(dir->path()).mkdir("Notepad.txt"));  // cannot be replaced, whoever runs this
        form->Notepad1->trigger();
        errors->Messages.clear();  // the directory cannot be opened either; that is the next test
        notepad->Memo1->setPlainText("precious notes");
        QTest::mouseClick(notepad->Button1, Qt::LeftButton);
        QCOMPARE(errors->Messages, QStringList{"Cannot create file Notepad.txt"});
        QCOMPARE(notepad->Memo1->toPlainText(), QStringLiteral("precious notes"));
        QVERIFY(notepad->isVisible());

        if (::geteuid() == 0) return;  // root writes into read-only folders
        QVERIFY(QDir(dir->path()).rmdir("Notepad.txt"));
        test::WriteFile(dir->file("Notepad.txt"), "old notes\r\n");
        QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::ExeOwner);
        errors->Messages.clear();
        notepad->Button1Click();
        QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(test::FileBytes(dir->file("Notepad.txt")), QByteArray("old notes\r\n"));
    }

    void unreadableNotepadFileLeavesTheWindowAlone() {
        form->Notepad1Click();
        notepad->Memo1->setPlainText("kept");
        const QPoint place = notepad->pos();
        notepad->close();
        QVERIFY(QDir(dir->path()).mkdir("Notepad.txt"));  // exists, but cannot be read
        form->Notepad1->trigger();
        QCOMPARE(errors->Messages, QStringList{"Cannot open file Notepad.txt"});
        QVERIFY(notepad->isVisible());
        QCOMPARE(notepad->Memo1->toPlainText(), QStringLiteral("kept"));
        QCOMPARE(notepad->pos(), place);
    }

    void helpFileOpensTheCurrentFolderPageInTheBrowser() {
        QList<QPair<QWidget*, QString>> opened;
        SetShellOpenHandler([&](QWidget* owner, const QString& url) { opened.append({owner, url}); });
        form->HelpFile1->trigger();  // help.htm is missing: the browser's concern, no message
        QVERIFY(errors->Messages.isEmpty());
        QCOMPARE(opened.size(), 1);
        QCOMPARE(opened[0].first, static_cast<QWidget*>(form.get()));
        QVERIFY(dir->path().startsWith('/'));
        QCOMPARE(opened[0].second, "file://" + dir->path() + "/help.htm");
        // The page is found whatever its letter case, in the current folder of the moment.
        QVERIFY(QDir(dir->path()).mkdir("docs"));
        test::WriteFile(dir->file("docs/Help.HTM"), "<html></html>");
        QDir::setCurrent(dir->file("docs"));
        form->HelpFile1Click();
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened[1].second, "file://" + dir->path() + "/docs/Help.HTM");
    }

    void aboutBoxShowsItsTextsAndOkOrEnterHidesIt() {
        QVERIFY(!about->isVisible());
        QCOMPARE(about->windowTitle(), QStringLiteral("About  this version of Kelvo"));
        QCOMPARE(about->minimumSize(), QSize(298, 213));
        QCOMPARE(about->maximumSize(), QSize(298, 213));
        QCOMPARE(about->ProductName->text(), QStringLiteral("Morse teaching program"));
        QVERIFY(about->ProductName->font().bold());
        QCOMPARE(about->ProductName->font().pixelSize(), 13);
        QCOMPARE(about->ProgramIcon->size(), QSize(65, 70));
        QVERIFY(!about->ProgramIcon->pixmap().isNull());
        QVERIFY(!about->Version->text().isEmpty());
        QCOMPARE(about->Copyright->text().count('\n'), 2);  // three lines of terms
        QVERIFY(about->Comments->font().bold());
        QVERIFY(about->Comments->wordWrap());
        // The author's call sign, the same in the caption, has a prefix no country issues (Q), and
        // the contact line points to the help page that ships with the program.
        const QRegularExpression callSign(QStringLiteral("\\b[A-Z0-9]{1,3}[0-9][A-Z]{1,4}\\b"));
        const QString sign = callSign.match(form->windowTitle()).captured();
        QVERIFY2(sign.startsWith(QLatin1Char('Q')), qPrintable(form->windowTitle()));
        QCOMPARE(callSign.match(about->Comments->text()).captured(), sign);
        QVERIFY(about->Comments->text().contains(form->HelpFile1->text()));
        QCOMPARE(about->OKButton->text(), QStringLiteral("OK"));
        QVERIFY(about->OKButton->isDefault());
        QVERIFY(about->findChild<QPushButton*>("OKButton") == about->OKButton);

        form->About1->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(about.get()));
        QVERIFY(CentredOnScreen(about.get()));
        QTest::mouseClick(about->OKButton, Qt::LeftButton);
        QVERIFY(!about->isVisible());
        form->About1Click();
        QVERIFY(about->isVisible());
        QTest::keyClick(about.get(), Qt::Key_Return);
        QVERIFY(!about->isVisible());
        QVERIFY(errors->Messages.isEmpty());
    }

    void sideWindowsNeverBlockTheMainWindow() {
        form->Notepad1->trigger();
        form->About1->trigger();
        form->About1->trigger();  // already shown: brought to the front, nothing else
        QVERIFY(notepad->isVisible());
        QVERIFY(about->isVisible());
        QCOMPARE(notepad->windowModality(), Qt::NonModal);
        QCOMPARE(about->windowModality(), Qt::NonModal);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QTest::mouseClick(form->CheckBox1, Qt::LeftButton);  // the main window still takes clicks
        QVERIFY(!form->CheckBox1->isChecked());
        QVERIFY(!form->Memo1->isVisible());
        form->CspeedScrollbar->SetPosition(9);
        QCOMPARE(form->CSpeedEdit->text(), QStringLiteral("9"));
        QVERIFY(notepad->isVisible());
        QVERIFY(about->isVisible());
        QVERIFY(errors->Messages.isEmpty());
    }

    void sideWindowsOpenAndWorkDuringASend() {
        form->Memo1->setPlainText("EE E");
        bool openedWhileSending = false;
        bool savedWhileSending = false;
        test::OnceWhen([&] { return form->Sending; }, [&] {
            form->Notepad1->trigger();
            form->About1->trigger();
            openedWhileSending = form->Sending && notepad->isVisible() && about->isVisible();
        });
        test::OnceWhen([&] { return notepad->isVisible() && form->SendPos >= 2; }, [&] {
            notepad->Memo1->setPlainText("heard E twice");
            QTest::mouseClick(notepad->Button1, Qt::LeftButton);
            savedWhileSending = form->Sending;
        });
        form->Sendbutton->click();  // returns when the send is over
        QVERIFY(openedWhileSending);
        QVERIFY(savedWhileSending);
        QVERIFY(errors->Messages.isEmpty());
        QVERIFY(!form->Sending);
        QCOMPARE(form->Memo1->toPlainText(), QStringLiteral("EE E"));  // sent to the end
        QCOMPARE(test::FileBytes(dir->file("Notepad.txt")), QByteArray("heard E twice\r\n"));
        QVERIFY(notepad->isVisible());
        QVERIFY(about->isVisible());
    }

private:
    std::unique_ptr<test::ScopedWorkDir> dir;
    std::unique_ptr<test::ErrorRecorder> errors;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TForm2> notepad;
    std::unique_ptr<TAboutBox> about;
};

KELVO_GUI_TEST_MAIN(SideWindowsTest)
#include "test_side_windows.moc"
