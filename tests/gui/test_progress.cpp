// The drill history in the window: Stop Kelvo appends the session to "Kelvohistory.txt", and the
// Progress window (Advanced, "Progress") shows it, refreshes while open, reports lines it cannot
// read and hands the last session's characters to the next drill.
#include "gui_fixture.h"
#include "teaching/session_record.h"
#include "ui/main/form1.h"
#include "ui/side/progress_window.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QScatterSeries>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>

#include <memory>

using namespace kelvo;

namespace {

QString Cell(const QTableView* table, int row, int column) {
    return table->model()->data(table->model()->index(row, column)).toString();
}

QString Header(const QTableView* table, int column) {
    return table->model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

// The table's columns: date, minutes, turns, right, wrong, missed, characters, mean, rating,
// speeds, frequency, then the 40 weights.
constexpr int TurnsColumn = 2;
constexpr int CharsColumn = 6;
constexpr int RatingColumn = 8;
constexpr int FirstWeightColumn = 12;

}  // namespace

class ProgressTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        workDir = std::make_unique<test::ScopedWorkDir>();
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
        workDir.reset();
    }

    void theMenuEndsWithProgress() {
        const QList<QAction*> items = form->Advanced1->actions();
        QCOMPARE(items.last(), form->Progress1);
        QCOMPARE(form->Progress1->text(), QStringLiteral("Progress"));
    }

    // Two turns through the capture device, one right answer, one wrong key and a timeout; the
    // record says so, and the Progress window shows it and the next session as it comes.
    void aStoppedDrillGoesOnRecordAndIntoTheWindow() {
        const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
        RunShortDrill();
        const QDateTime after = QDateTime::currentDateTime().addSecs(1);

        const QStringList lines = QString::fromLatin1(test::FileBytes(workDir->file("Kelvohistory.txt")))
                                      .split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 3);  // header, record, and nothing after the last line end
        QCOMPARE(lines[0], QString::fromStdString(HistoryHeaderLine()));
        QCOMPARE(lines[2], QString());
        const QStringList f = lines[1].split(QLatin1Char(','));
        QCOMPARE(f.size(), HistoryFieldCount);
        QCOMPARE(f[0], QStringLiteral("1"));
        const QDateTime stamp = QDateTime::fromString(f[1], Qt::ISODate);
        QVERIFY2(stamp >= before && stamp <= after, qPrintable(f[1]));
        // turns, right, wrong, missed, characters, mean, rating, speeds, frequency
        QCOMPARE(f.mid(3, 10), (QStringList{"2", "1", "1", "1", "1", "0.8000", "1", "20", "20", "800"}));
        QCOMPARE(form->Memo1->toPlainText().section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("Your current mastery rating is 1"));
        QCOMPARE(f[13], QStringLiteral("0.80"));  // "q"
        QCOMPARE(f[14], QStringLiteral("1.00"));  // "7", not yet in use

        form->Progress1->trigger();
        auto* progress = form->findChild<TProgressForm*>();
        QVERIFY(progress);
        QVERIFY(progress->isVisible());
        QCOMPARE(progress->windowModality(), Qt::NonModal);
        QVERIFY(progress->isWindow());
        QVERIFY(progress->minimumSize() != progress->maximumSize());  // resizable
        const QTableView* table = progress->SessionTable;
        QCOMPARE(table->model()->rowCount(), 1);
        QCOMPARE(Cell(table, 0, 0), stamp.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        QCOMPARE(Cell(table, 0, TurnsColumn), QStringLiteral("2"));
        QCOMPARE(Cell(table, 0, CharsColumn), QStringLiteral("1"));
        QCOMPARE(Cell(table, 0, RatingColumn), QStringLiteral("1"));
        QCOMPARE(Header(table, FirstWeightColumn), QStringLiteral("Q"));
        QCOMPARE(Cell(table, 0, FirstWeightColumn), QStringLiteral("0.8"));
        QCOMPARE(Cell(table, 0, FirstWeightColumn + 1), QStringLiteral("-"));
        QVERIFY(progress->TotalsLabel->text().startsWith(QStringLiteral("Sessions: 1 ")));
        QVERIFY(progress->TotalsLabel->text().contains(QStringLiteral("Current streak: 1 day ")));
        QVERIFY(!progress->SkippedLabel->isVisibleTo(progress));
        QVERIFY(!progress->SessionTable->accessibleName().isEmpty());
        QVERIFY(!progress->RatingChart->accessibleName().isEmpty());
        QCOMPARE(progress->WeightChart->accessibleDescription(), QStringLiteral("Still confused in the last session: Q."));

        // A second drill while the window is open: it refreshes, newest first. Five known
        // characters and a right answer let "9" join: six in use.
        form->StartNumEdit->setText(QStringLiteral("5"));
        RunShortDrill(QStringLiteral("0"));
        QCOMPARE(table->model()->rowCount(), 2);
        QCOMPARE(Cell(table, 0, CharsColumn), QStringLiteral("6"));
        QCOMPARE(Cell(table, 1, CharsColumn), QStringLiteral("1"));
        QVERIFY(progress->TotalsLabel->text().startsWith(QStringLiteral("Sessions: 2 ")));
        // The charts follow: two points per line, and one heat-map cell per character in use.
        const QList<QAbstractSeries*> plotted = progress->RatingChart->chart()->series();
        QCOMPARE(plotted.size(), 2);
        const QList<QPointF> ratings = static_cast<QLineSeries*>(plotted[0])->points();
        QCOMPARE(ratings.size(), 2);
        QCOMPARE(ratings[0].y(), 1.0);
        QCOMPARE(ratings[1].y(), Cell(table, 0, RatingColumn).toDouble());
        QCOMPARE(static_cast<QLineSeries*>(plotted[1])->points()[1].y(), 6.0);
        int cells = 0;
        for (QAbstractSeries* level : progress->WeightChart->chart()->series())
            cells += static_cast<QScatterSeries*>(level)->count();
        QCOMPARE(cells, 1 + 6);

        // Continue where you left off: the next Start Kelvo begins with the last session's count.
        form->StartNumEdit->setText(QStringLiteral("1"));
        progress->ContinueButton->click();
        QCOMPARE(form->StartNumEdit->text(), QStringLiteral("6"));
        form->Kelvobutton->click();
        QCOMPARE(form->UsingEdit->text(), QStringLiteral("6"));
    }

    void aDrillNeverSentLeavesNoRecord() {
        form->Kelvobutton->click();
        form->KelvoStopButton->click();
        QVERIFY(!QFile::exists(workDir->file("Kelvohistory.txt")));
        form->Progress1->trigger();
        auto* progress = form->findChild<TProgressForm*>();
        QCOMPARE(progress->SessionTable->model()->rowCount(), 0);
        QVERIFY(!progress->ContinueButton->isEnabled());
        QVERIFY(progress->TotalsLabel->text().startsWith(QStringLiteral("No drill sessions on record yet.")));
    }

    void anUnwritableHistoryKeepsTheRating() {
        QVERIFY(QDir(workDir->path()).mkdir(QStringLiteral("Kelvohistory.txt")));
        RunShortDrill();
        QCOMPARE(errors->Messages, QStringList{"Cannot create file Kelvohistory.txt"});
        errors->Messages.clear();
        QCOMPARE(form->Memo1->toPlainText(),
                 QStringLiteral("Your current mastery rating is 1\n"
                                "When this is 100, you will have mastered all of the characters."));
        QCOMPARE(form->StatusBar1->SimpleText(), QStringLiteral("Here's how you did.  I'm Ready to go again."));
        QVERIFY(form->Kelvobutton->isEnabled());
    }

    // Damaged and foreign lines are counted and shown, and the file is only ever appended to.
    void damagedLinesAreSkippedAndTheFileKept() {
        const QByteArray good = "1,2026-03-05T07:08:09,12.50,48,40,6,8,3,0.2000,15,5,14,800" +
                                QByteArray(",0.20").repeated(3) + QByteArray(",1.00").repeated(37);
        const QByteArray text = QByteArray::fromStdString(HistoryHeaderLine()) + "\r\n" + good + "\r\n" +
                                "1,2026-03-06T07:08:09,hand edited\r\n" + "2,2030-01-01T00:00:00,newer\r\n" +
                                good.left(50);
        test::WriteFile(workDir->file("KELVOHISTORY.TXT"), text);  // names match whatever their case
        form->Progress1->trigger();
        auto* progress = form->findChild<TProgressForm*>();
        QCOMPARE(progress->SessionTable->model()->rowCount(), 1);
        QVERIFY(progress->SkippedLabel->isVisibleTo(progress));
        QCOMPARE(progress->SkippedLabel->text(),
                 QStringLiteral("3 lines of Kelvohistory.txt could not be read and were skipped. "
                                "1 of them came from a newer version of Kelvo."));
        QCOMPARE(test::FileBytes(workDir->file("KELVOHISTORY.TXT")), text);

        RunShortDrill();
        const QByteArray now = test::FileBytes(workDir->file("KELVOHISTORY.TXT"));
        QVERIFY(now.startsWith(text + "\r\n1,"));  // the cut line stays; the record starts afresh
        QCOMPARE(progress->SessionTable->model()->rowCount(), 2);
        QCOMPARE(progress->History().SkippedLines, 3);
    }

private:
    // Start Kelvo, Start Sending, a turn answered right, a turn with a wrong key that runs out,
    // Stop Kelvo. `first` is the character drilled first.
    void RunShortDrill(const QString& first = QStringLiteral("q")) {
        form->Kelvobutton->click();
        form->KelvoSendButton->click();
        form->Timer2Timer();
        QVERIFY(form->Drill.AwaitingAnswer);
        test::Type(form.get(), first);
        form->Timer1Timer();
        form->Timer2Timer();
        test::Type(form.get(), QStringLiteral("#"));
        while (form->Timer1->Enabled()) form->Timer1Timer();
        form->KelvoStopButton->click();
    }

    std::unique_ptr<test::ScopedWorkDir> workDir;
    std::shared_ptr<WaveOutCapture> capture;
    std::unique_ptr<test::ErrorRecorder> errors;
    std::unique_ptr<TForm1> form;
};

KELVO_GUI_TEST_MAIN(ProgressTest)
#include "test_progress.moc"
