#include "ui/side/progress_window.h"

#include "platform/guard.h"
#include "platform/text_file.h"

#include <QAbstractTableModel>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QSplitter>
#include <QTableView>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace kelvo {

namespace {

constexpr const char* NoSessionsText = "No drill sessions on record yet. Each Stop Kelvo after Start Sending adds one.";
constexpr const char* ContinueCaption = "Continue where you left off";
constexpr const char* ContinueHint = "Put the last session's characters in use into the \"Characters to Start\" box";
constexpr int MaxRating = 100;
// Points are marked only while they can be told apart.
constexpr int MarkedPointsUpTo = 60;
// A chart a few hundred pixels wide cannot show more sessions than this; a longer history is
// drawn from every n-th session (the last one always), the table still lists them all.
constexpr std::size_t MaxPlottedSessions = 400;
constexpr qint64 MsPerDay = 24LL * 60 * 60 * 1000;
// How the window's height is shared at first.
constexpr int RatingChartHeight = 240;
constexpr int WeightChartHeight = 330;
constexpr int TableHeight = 160;
constexpr int SmallLabelPixels = 10;

// Weight levels 0.2 .. 1.0, from learned (green) to not learned (red).
constexpr int WeightLevels = 5;
constexpr const char* LevelColours[WeightLevels] = {"#2e7d32", "#9ccc65", "#fdd835", "#fb8c00", "#c62828"};
constexpr const char* LevelNames[WeightLevels] = {"0.2 learned", "0.4", "0.6", "0.8", "1.0 not learned"};
// A character at this level or above holds back the next one: the learner still confuses it.
constexpr int ConfusedLevel = 2;

int Level(double weight) { return std::clamp(static_cast<int>(std::lround(weight * WeightLevels)) - 1, 0, WeightLevels - 1); }

QString DrillChar(int i) { return QString(QChar::fromLatin1(DrillOrderText[i])).toUpper(); }

QDateTime ToDateTime(const TLocalTime& t) {
    return QDateTime(QDate(t.Year, t.Month, t.Day), QTime(t.Hour, t.Minute, t.Second));
}

QString Fixed(double value, int decimals) { return QString::number(value, 'f', decimals); }

// The table's columns: the session's figures, then one weight per character in drill order.
enum Column {
    TimeColumn,
    MinutesColumn,
    TurnsColumn,
    RightColumn,
    WrongColumn,
    MissedColumn,
    CharsColumn,
    MeanColumn,
    RatingColumn,
    CodeSpeedColumn,
    CharSpeedColumn,
    FrequencyColumn,
    FirstWeightColumn
};
constexpr const char* ColumnTitles[FirstWeightColumn] = {
    "Date and time", "Minutes", "Turns", "Right", "Wrong", "Missed", "Characters in use",
    "Mean weight", "Rating", "Code speed", "Farnsworth speed", "Frequency"};

// Every session as text, newest first; cells are formatted only when a view asks for them, so
// ten years of sessions open at once.
class SessionTableModel : public QAbstractTableModel {
public:
    explicit SessionTableModel(QObject* parent) : QAbstractTableModel(parent) {}

    void SetSessions(const std::vector<TSessionRecord>* sessions) {
        beginResetModel();
        sessions_ = sessions;
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || !sessions_ ? 0 : static_cast<int>(sessions_->size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : FirstWeightColumn + DrillAlphabetSize;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole) return {};
        if (orientation == Qt::Vertical) return section + 1;
        if (section < FirstWeightColumn) return QString::fromUtf8(ColumnTitles[section]);
        return DrillChar(section - FirstWeightColumn);
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || !sessions_) return {};
        const TSessionRecord& s = (*sessions_)[sessions_->size() - 1 - index.row()];
        if (role == Qt::TextAlignmentRole)
            return index.column() == TimeColumn ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
        switch (index.column()) {
        case TimeColumn: return ToDateTime(s.Time).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        case MinutesColumn: return Fixed(s.Minutes, 1);
        case TurnsColumn: return s.Turns;
        case RightColumn: return s.Right;
        case WrongColumn: return s.Wrong;
        case MissedColumn: return s.Missed;
        case CharsColumn: return s.CharsInUse;
        case MeanColumn: return Fixed(s.MeanWeight, 2);
        case RatingColumn: return s.Rating;
        case CodeSpeedColumn: return QString::number(s.CodeSpeed);
        case CharSpeedColumn: return QString::number(s.CharSpeed);
        case FrequencyColumn: return QString::number(s.Frequency);
        default: {
            const int c = index.column() - FirstWeightColumn;
            // A character not yet in use has no score of its own.
            return c < s.CharsInUse ? Fixed(s.Weights[c], 1) : QStringLiteral("-");
        }
        }
    }

private:
    const std::vector<TSessionRecord>* sessions_ = nullptr;
};

QChartView* ChartView(QWidget* parent, const char* name, const char* accessibleName) {
    auto* view = new QChartView(new QChart, parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setAccessibleName(QString::fromUtf8(accessibleName));
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumHeight(160);
    view->chart()->setMargins(QMargins(4, 4, 4, 4));
    return view;
}

void ClearChart(QChart* chart) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

}  // namespace

TProgressForm::TProgressForm(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("ProgressForm"));
    setWindowTitle(QStringLiteral("Progress"));
    setAccessibleName(QStringLiteral("Progress"));

    TotalsLabel = new QLabel(this);
    TotalsLabel->setObjectName(QStringLiteral("TotalsLabel"));
    // Labels keep their text as their accessible name, so a screen reader reads the figures.
    TotalsLabel->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    SkippedLabel = new QLabel(this);
    SkippedLabel->setObjectName(QStringLiteral("SkippedLabel"));
    SkippedLabel->setStyleSheet(QStringLiteral("color: #b71c1c"));
    SkippedLabel->hide();

    RatingChart = ChartView(this, "RatingChart", "Rating and characters in use per session");
    RatingChart->chart()->setTitle(QStringLiteral("Rating and characters in use"));
    WeightChart = ChartView(this, "WeightChart", "Error weight of each character in the last sessions");
    WeightChart->chart()->setTitle(QStringLiteral("Error weights of the last sessions (red: still confused)"));
    connect(WeightChart->chart(), &QChart::plotAreaChanged, this, [this] { SizeHeatCells(); });

    tableModel_ = new SessionTableModel(this);
    SessionTable = new QTableView(this);
    SessionTable->setObjectName(QStringLiteral("SessionTable"));
    SessionTable->setAccessibleName(QStringLiteral("Drill sessions, newest first"));
    SessionTable->setModel(tableModel_);
    SessionTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SessionTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    SessionTable->setAlternatingRowColors(true);
    SessionTable->horizontalHeader()->setDefaultSectionSize(40);
    // Wide enough for the titles; measured once, as the rows may be thousands.
    const QFontMetrics header(SessionTable->horizontalHeader()->font());
    for (int c = 0; c < FirstWeightColumn; ++c)
        SessionTable->setColumnWidth(c, header.horizontalAdvance(QString::fromUtf8(ColumnTitles[c])) + 20);
    SessionTable->setColumnWidth(TimeColumn, header.horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) + 20);
    SessionTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    SessionTable->verticalHeader()->setDefaultSectionSize(22);

    ContinueButton = new QPushButton(QString::fromUtf8(ContinueCaption), this);
    ContinueButton->setObjectName(QStringLiteral("ContinueButton"));
    ContinueButton->setToolTip(QString::fromUtf8(ContinueHint));
    ContinueButton->setAccessibleDescription(QString::fromUtf8(ContinueHint));
    connect(ContinueButton, &QPushButton::clicked, this, Guard([this] { ContinueButtonClick(); }));

    // The charts and the table share the height; the user can move the borders between them.
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(RatingChart);
    splitter->addWidget(WeightChart);
    splitter->addWidget(SessionTable);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    splitter->setStretchFactor(2, 2);
    splitter->setSizes({RatingChartHeight, WeightChartHeight, TableHeight});

    auto* top = new QHBoxLayout;
    top->addWidget(TotalsLabel, 1);
    top->addWidget(ContinueButton);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->addLayout(top);
    column->addWidget(SkippedLabel);
    column->addWidget(splitter, 1);

    resize(ProgressDesignWidth, ProgressDesignHeight);
    ShowHistory({}, {1970, 1, 1, 0, 0, 0});
}

TProgressForm::~TProgressForm() = default;

void TProgressForm::showEvent(QShowEvent* event) {
    centre_.Shown(this);
    QWidget::showEvent(event);
}

void TProgressForm::Reload() {
    const QDateTime now = QDateTime::currentDateTime();
    const TLocalTime today{now.date().year(), now.date().month(), now.date().day(), 0, 0, 0};
    ShowHistory(ReadSessionHistory(ResolveNoCase({}, HistoryFileName)), today);
}

void TProgressForm::ShowHistory(TSessionHistory history, const TLocalTime& today) {
    history_ = std::move(history);
    const std::vector<TSessionRecord>& sessions = history_.Sessions;

    if (sessions.empty()) {
        TotalsLabel->setText(QString::fromUtf8(NoSessionsText));
    } else {
        const THistoryTotals t = SummarizeHistory(sessions, today);
        TotalsLabel->setText(QStringLiteral("Sessions: %1    Hours practised: %2    Days practised: %3    "
                                            "Current streak: %4 %5    Last rating: %6")
                                 .arg(t.Sessions)
                                 .arg(Fixed(t.Hours, 1))
                                 .arg(t.DaysPractised)
                                 .arg(t.CurrentStreak)
                                 .arg(t.CurrentStreak == 1 ? QStringLiteral("day") : QStringLiteral("days"))
                                 .arg(sessions.back().Rating));
    }
    if (history_.SkippedLines > 0) {
        QString text = history_.SkippedLines == 1
                           ? QStringLiteral("1 line of %1 could not be read and was skipped.")
                           : QStringLiteral("%2 lines of %1 could not be read and were skipped.");
        text = text.arg(QString::fromUtf8(HistoryFileName)).arg(history_.SkippedLines);
        if (history_.NewerLines > 0)
            text += QStringLiteral(" %1 of them came from a newer version of Kelvo.").arg(history_.NewerLines);
        SkippedLabel->setText(text);
    }
    SkippedLabel->setVisible(history_.SkippedLines > 0);
    ContinueButton->setEnabled(!sessions.empty());

    static_cast<SessionTableModel*>(tableModel_)->SetSessions(&history_.Sessions);
    DrawRatingChart();
    DrawWeightChart();
}

void TProgressForm::DrawRatingChart() {
    QChart* chart = RatingChart->chart();
    ClearChart(chart);
    const std::vector<TSessionRecord>& sessions = history_.Sessions;

    auto* rating = new QLineSeries;
    rating->setName(QStringLiteral("Rating"));
    auto* chars = new QLineSeries;
    chars->setName(QStringLiteral("Characters in use"));
    QList<QPointF> ratingPoints;
    QList<QPointF> charPoints;
    const std::size_t step = std::max<std::size_t>(1, (sessions.size() + MaxPlottedSessions - 1) / MaxPlottedSessions);
    ratingPoints.reserve(static_cast<qsizetype>(MaxPlottedSessions + 1));
    charPoints.reserve(static_cast<qsizetype>(MaxPlottedSessions + 1));
    for (std::size_t i = sessions.empty() ? 0 : (sessions.size() - 1) % step; i < sessions.size(); i += step) {
        const TSessionRecord& s = sessions[i];
        const auto x = static_cast<qreal>(ToDateTime(s.Time).toMSecsSinceEpoch());
        ratingPoints.append(QPointF(x, s.Rating));
        charPoints.append(QPointF(x, s.CharsInUse));
    }
    rating->replace(ratingPoints);
    chars->replace(charPoints);
    const bool marked = sessions.size() <= MarkedPointsUpTo;
    rating->setPointsVisible(marked);
    chars->setPointsVisible(marked);
    chart->addSeries(rating);
    chart->addSeries(chars);

    auto* time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("yyyy-MM-dd"));
    time->setTickCount(7);
    if (sessions.empty()) {
        const QDateTime now = QDateTime::currentDateTime();
        time->setRange(now.addDays(-7), now);
    } else {
        // A single session, or one day's sessions, still get a readable span around them.
        const qint64 first = ToDateTime(sessions.front().Time).toMSecsSinceEpoch();
        const qint64 last = ToDateTime(sessions.back().Time).toMSecsSinceEpoch();
        const qint64 pad = std::max<qint64>(MsPerDay / 2, (last - first) / 50);
        time->setRange(QDateTime::fromMSecsSinceEpoch(first - pad), QDateTime::fromMSecsSinceEpoch(last + pad));
    }
    auto* ratingAxis = new QValueAxis;
    ratingAxis->setRange(0, MaxRating);
    ratingAxis->setTitleText(QStringLiteral("Rating"));
    ratingAxis->setLabelFormat(QStringLiteral("%d"));
    auto* charsAxis = new QValueAxis;
    charsAxis->setRange(0, DrillAlphabetSize);
    charsAxis->setTickCount(5);
    charsAxis->setTitleText(QStringLiteral("Characters in use"));
    charsAxis->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(ratingAxis, Qt::AlignLeft);
    chart->addAxis(charsAxis, Qt::AlignRight);
    rating->attachAxis(time);
    rating->attachAxis(ratingAxis);
    chars->attachAxis(time);
    chars->attachAxis(charsAxis);
    chart->legend()->setAlignment(Qt::AlignTop);

    RatingChart->setAccessibleDescription(
        sessions.empty() ? QString::fromUtf8(NoSessionsText)
                         : QStringLiteral("%1 sessions. Last session: rating %2, %3 characters in use.")
                               .arg(sessions.size())
                               .arg(sessions.back().Rating)
                               .arg(sessions.back().CharsInUse));
}

void TProgressForm::DrawWeightChart() {
    QChart* chart = WeightChart->chart();
    ClearChart(chart);
    const std::vector<TSessionRecord>& sessions = history_.Sessions;
    const int rows = std::min<int>(HeatMapSessions, static_cast<int>(sessions.size()));
    const std::size_t first = sessions.size() - static_cast<std::size_t>(rows);

    // One scatter series per weight level, drawn as square cells: column = character, row =
    // session, the newest at the top. Characters not yet in use are left blank.
    QScatterSeries* levels[WeightLevels];
    for (int l = 0; l < WeightLevels; ++l) {
        levels[l] = new QScatterSeries;
        levels[l]->setName(QString::fromUtf8(LevelNames[l]));
        levels[l]->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
        levels[l]->setColor(QColor(QString::fromLatin1(LevelColours[l])));
        levels[l]->setBorderColor(Qt::transparent);
    }
    for (int r = 0; r < rows; ++r) {
        const TSessionRecord& s = sessions[first + static_cast<std::size_t>(r)];
        for (int c = 0; c < s.CharsInUse; ++c) levels[Level(s.Weights[c])]->append(c, r);
    }

    auto* charsAxis = new QCategoryAxis;
    charsAxis->setMin(-0.5);
    charsAxis->setMax(DrillAlphabetSize - 0.5);
    charsAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    for (int c = 0; c < DrillAlphabetSize; ++c) charsAxis->append(DrillChar(c), c + 0.5);
    charsAxis->setGridLineVisible(false);
    // One label per cell: small, and never cut to "..." (a narrow "W" would be).
    QFont small = charsAxis->labelsFont();
    small.setPixelSize(SmallLabelPixels);
    charsAxis->setLabelsFont(small);
    charsAxis->setTruncateLabels(false);
    auto* sessionAxis = new QCategoryAxis;
    sessionAxis->setLabelsFont(small);
    sessionAxis->setTruncateLabels(false);
    sessionAxis->setTitleText(QStringLiteral("newest at the top"));
    sessionAxis->setMin(-0.5);
    sessionAxis->setMax(std::max(rows, 1) - 0.5);
    sessionAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    sessionAxis->setGridLineVisible(false);
    QStringList used;
    for (int r = 0; r < rows; ++r) {
        // Category labels must differ; two sessions in the same minute get a mark.
        QString label = ToDateTime(sessions[first + static_cast<std::size_t>(r)].Time).toString(QStringLiteral("MM-dd HH:mm"));
        while (used.contains(label)) label += QLatin1Char('\'');
        used << label;
        sessionAxis->append(label, r + 0.5);
    }
    chart->addAxis(charsAxis, Qt::AlignBottom);
    chart->addAxis(sessionAxis, Qt::AlignLeft);
    for (QScatterSeries* series : levels) {
        chart->addSeries(series);
        series->attachAxis(charsAxis);
        series->attachAxis(sessionAxis);
    }
    chart->legend()->setAlignment(Qt::AlignTop);
    SizeHeatCells();

    QString description;
    if (sessions.empty()) {
        description = QString::fromUtf8(NoSessionsText);
    } else {
        QStringList confused;
        const TSessionRecord& last = sessions.back();
        for (int c = 0; c < last.CharsInUse; ++c)
            if (Level(last.Weights[c]) >= ConfusedLevel) confused << DrillChar(c);
        description = confused.isEmpty()
                          ? QStringLiteral("In the last session every character in use was at weight 0.4 or below.")
                          : QStringLiteral("Still confused in the last session: %1.").arg(confused.join(QStringLiteral(", ")));
    }
    WeightChart->setAccessibleDescription(description);
    WeightChart->setToolTip(description);
}

void TProgressForm::SizeHeatCells() {
    const QRectF area = WeightChart->chart()->plotArea();
    const int rows = std::max(1, std::min<int>(HeatMapSessions, static_cast<int>(history_.Sessions.size())));
    const qreal cell = std::min(area.width() / DrillAlphabetSize, area.height() / rows);
    for (QAbstractSeries* s : WeightChart->chart()->series())
        static_cast<QScatterSeries*>(s)->setMarkerSize(std::max<qreal>(2, cell * 0.92));
}

void TProgressForm::ContinueButtonClick() {
    if (history_.Sessions.empty()) return;
    emit ContinueFrom(history_.Sessions.back().CharsInUse);
}

}  // namespace kelvo
