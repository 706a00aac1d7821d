#pragma once
// The Progress window: the learner's drill history from "Kelvohistory.txt", drawn as the rating
// and the characters in use per session, a heat map of the error weights of the last sessions,
// totals, and a table of every session for reading (and for screen readers). Non-modal and
// resizable; it only reads the history file, never writes it.
#include "teaching/session_record.h"
#include "ui/side/first_show.h"

#include <QWidget>

class QChartView;
class QLabel;
class QPushButton;
class QTableView;
class QAbstractTableModel;

namespace kelvo {

inline constexpr int ProgressDesignWidth = 920;
inline constexpr int ProgressDesignHeight = 860;
// The heat map shows this many of the latest sessions, one row each.
inline constexpr int HeatMapSessions = 20;

class TProgressForm : public QWidget {
    Q_OBJECT
public:
    // With a parent it is still a window of its own, kept and destroyed with the parent.
    explicit TProgressForm(QWidget* parent = nullptr);
    ~TProgressForm() override;
    TProgressForm(const TProgressForm&) = delete;
    TProgressForm& operator=(const TProgressForm&) = delete;

    // Reads the history file from the current folder again and redraws everything. Throws
    // "Cannot open file %s" when the file exists but cannot be read.
    void Reload();
    // Draws `history` as of `today` (the streak is counted back from it).
    void ShowHistory(TSessionHistory history, const TLocalTime& today);
    const TSessionHistory& History() const { return history_; }

    // "Continue where you left off".
    void ContinueButtonClick();

    QLabel* TotalsLabel = nullptr;
    QLabel* SkippedLabel = nullptr;
    QChartView* RatingChart = nullptr;
    QChartView* WeightChart = nullptr;
    QTableView* SessionTable = nullptr;
    QPushButton* ContinueButton = nullptr;

signals:
    // The characters in use of the last session, for the next drill's start.
    void ContinueFrom(int charsInUse);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void DrawRatingChart();
    void DrawWeightChart();
    // Square heat-map cells that fill the plot area.
    void SizeHeatCells();

    TSessionHistory history_;
    QAbstractTableModel* tableModel_ = nullptr;
    CentreOnFirstShow centre_;
};

}  // namespace kelvo
