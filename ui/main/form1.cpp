#include "ui/main/form1.h"

#include "platform/guard.h"
#include "ui/main/accessibility.h"

#include <QAction>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTextDocument>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <type_traits>

namespace kelvo {

namespace {

// Height of the area above the chart panel and the status line.
constexpr int ContentHeight = 352;
// The top strip as designed; it grows only when its captions need more.
constexpr int DesignStripWidth = 633;
constexpr int DesignStripHeight = 65;
constexpr int StatusHeight = DesignClientHeight - ChartPanelHeight - ContentHeight;

template <class W>
W* Named(W* widget, const char* name, const QString& hint = {}) {
    widget->setObjectName(QString::fromLatin1(name));
    if constexpr (std::is_base_of_v<QWidget, W>)
        if (!hint.isEmpty()) widget->setToolTip(hint);
    return widget;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption, const char* hint = "") {
    return Named(new QPushButton(QString::fromUtf8(caption), parent), name, QString::fromUtf8(hint));
}

QLabel* Label(QWidget* parent, const char* name, const char* caption) {
    return Named(new QLabel(QString::fromUtf8(caption), parent), name);
}

QLineEdit* Edit(QWidget* parent, const char* name, const char* text = "", const char* hint = "") {
    return Named(new QLineEdit(QString::fromUtf8(text), parent), name, QString::fromUtf8(hint));
}

QCheckBox* Check(QWidget* parent, const char* name, const char* caption, bool ticked, const char* hint = "") {
    auto* box = Named(new QCheckBox(QString::fromUtf8(caption), parent), name, QString::fromUtf8(hint));
    box->setChecked(ticked);
    return box;
}

QSpinBox* Spin(QWidget* parent, const char* name, int min, int max, int value, const char* hint = "") {
    auto* spin = Named(new QSpinBox(parent), name, QString::fromUtf8(hint));
    // The program reads the boxes' text as numbers, which take Latin digits: under a locale with
    // digits of its own (Arabic, Persian, Bengali) the box would show those, and no note could play.
    spin->setLocale(QLocale::c());
    spin->setRange(min, max);
    spin->setValue(value);
    return spin;
}

QPlainTextEdit* Memo(QWidget* parent, const char* name, const char* hint = "") {
    return Named(new QPlainTextEdit(parent), name, QString::fromUtf8(hint));
}

}  // namespace

TForm1::TForm1() {
    InstallAccessibleFactory();
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Kelvo - Morse code by ear - de Q0KVL - version 1.0 - 2026-12-11"));
    BuildLayout();
    BuildMenu();
    menuHeight_ = menuBar()->sizeHint().height();
    setFixedSize(DesignClientWidth, menuHeight_ + DesignClientHeight);
    OutSound1.SetSampRate(MainSampRate);
    OutSound1.SetBufferLength(MainBufferLength);
    ConnectHandlers();
    MakeAccessible();
    RunGuarded([this] { FormCreate(); });
    FitCaptions();  // once start-up has hidden what starts hidden
}

TForm1::~TForm1() = default;

void TForm1::BuildLayout() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* content = new QWidget(central);
    content->setFixedHeight(ContentHeight);
    column->addWidget(content);
    setCentralWidget(central);

    // Top strip: two rows of buttons and small boxes.
    Panel1 = Named(new QFrame(content), "Panel1");
    static_cast<QFrame*>(Panel1)->setFrameShape(QFrame::StyledPanel);
    Panel1->setGeometry(20, 4, DesignStripWidth, DesignStripHeight);
    auto* rows = new QVBoxLayout(Panel1);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(2);
    auto* top = new QHBoxLayout;
    auto* bottom = new QHBoxLayout;
    rows->addLayout(top);
    rows->addLayout(bottom);

    LoadFile = Button(Panel1, "LoadFile", "Load any File", "Load a text file to send from disk");
    Button1 = Button(Panel1, "Button1", "Load practice Text",
                     "Load a supplied practice text, numbered 1 - 950:  Enter number in box below.");
    Label11 = Label(Panel1, "Label11", "Practice Text Number (1 - 950)");
    Edit1 = Edit(Panel1, "Edit1", "1", "Number of Practice Text to send: 1 - 950");
    Edit1->setFixedWidth(48);
    Label17 = Label(Panel1, "Label17", "Harmonics");
    SpinEdit3 = Spin(Panel1, "SpinEdit3", 0, 3, 1);
    CheckBox3 = Check(Panel1, "CheckBox3", "SquareWave", false);
    for (QWidget* w : std::initializer_list<QWidget*>{LoadFile, Button1, Label11, Edit1, Label17, SpinEdit3, CheckBox3})
        top->addWidget(w);
    top->addStretch(1);

    CheckBox2 = Check(Panel1, "CheckBox2", "Show Quickscreen", true, "Clear to hide red instruction box");
    CheckBox1 = Check(Panel1, "CheckBox1", "Show text", true, "Clear to hide text in window");
    Sendbutton = Button(Panel1, "Sendbutton", "Send Text", "Send any text in the box, or the loaded practice text");
    Button2 = Button(Panel1, "Button2", "Pause", "Pause and resume sending");
    AbortButton = Button(Panel1, "AbortButton", "Abort/Show text", "Stop sending text, show sent portion");
    Button4 = Button(Panel1, "Button4", "Font");
    Label16 = Label(Panel1, "Label16", "Rise/Fall time, msec");
    SpinEdit2 = Spin(Panel1, "SpinEdit2", 1, 50, 5, "Lower, makes elements \"clickier\":   higher, \"woolier\"");
    for (QWidget* w : std::initializer_list<QWidget*>{CheckBox2, CheckBox1, Sendbutton, Button2, AbortButton, Button4,
                                                      Label16, SpinEdit2})
        bottom->addWidget(w);
    bottom->addStretch(1);

    // The text box, with the red quick-start box lying over its lower right.
    Memo1 = Memo(content, "Memo1", "Text to be sent appears here");
    Memo1->setGeometry(20, 76, 400, 176);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont memoFont = Memo1->font();
    memoFont.setPixelSize(13);
    Memo1->setFont(memoFont);
    Memo2 = Memo(content, "Memo2", "Get going in a hurry!");
    Memo2->setGeometry(114, 138, 302, 112);
    Memo2->setStyleSheet(QStringLiteral("color: red;"));
    Memo3 = Memo(content, "Memo3");
    Memo3->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo3->setGeometry(0, 0, 10, 10);
    Memo3->hide();

    // The three value controls on the right: caption, range ends around the scrollbar, value box.
    const auto valueControl = [&](int y, QLabel*& caption, const char* captionName, const char* captionText,
                                  QLabel*& low, const char* lowName, const char* lowText, QLabel*& high,
                                  const char* highName, const char* highText, TScrollBar*& bar, const char* barName,
                                  int min, int max, int position, const char* hint, QLineEdit*& box,
                                  const char* boxName) {
        caption = Label(content, captionName, captionText);
        caption->setGeometry(440, y, 200, 16);
        low = Label(content, lowName, lowText);
        low->setGeometry(440, y + 20, 30, 18);
        low->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        bar = Named(new TScrollBar(min, max, position, content), barName, QString::fromUtf8(hint));
        bar->setGeometry(474, y + 20, 112, 18);
        high = Label(content, highName, highText);
        high->setGeometry(590, y + 20, 34, 18);
        box = Edit(content, boxName);
        box->setGeometry(440, y + 42, 60, 22);
    };
    valueControl(76, Label1, "Label1", "Code Speed", Label2, "Label2", "3", Label9, "Label9", "20", CspeedScrollbar,
                 "CspeedScrollbar", 3, 20, 5, "Set the overall morse speed", CSpeedEdit, "CSpeedEdit");
    valueControl(148, Label5, "Label5", "Farnsworth Speed", Label3, "Label3", "12", Label4, "Label4", "35",
                 SpeedScrollBar, "SpeedScrollBar", 12, 35, 14, "Set the Farnsworth (character) speed", SpeedEdit,
                 "SpeedEdit");
    valueControl(220, Label8, "Label8", "Audio Frequency", Label6, "Label6", "500", Label7, "Label7", "1000",
                 Freqscrollbar, "Freqscrollbar", 500, 1000, 500, "Set audio frequency for morse", Freqedit,
                 "Freqedit");

    // Random groups and the progress box, below the text box.
    Label15 = Label(content, "Label15", "Enter Characters");
    Label15->setGeometry(20, 259, 100, 16);
    Edit3 = Edit(content, "Edit3");
    Edit3->setGeometry(124, 256, 160, 22);
    Button3 = Button(content, "Button3", "Generate String",
                     "Click to generate a random string from the characters you've entered.");
    Button3->setStyleSheet(QStringLiteral("color: red;"));
    Button3->setGeometry(290, 255, 130, 25);
    Label12 = Label(content, "Label12", "Text as sent");
    Label12->setGeometry(20, 287, 80, 16);
    Edit2 = Edit(content, "Edit2");
    Edit2->setReadOnly(true);  // the text as sent: written by the sender only
    Edit2->setGeometry(100, 284, 320, 22);

    // Teaching buttons, lower left; their count boxes in the right column.
    Kelvobutton = Button(content, "Kelvobutton", "Start Kelvo", "Prepare for interactive learning process");
    Kelvobutton->setGeometry(20, 318, 90, 27);
    KelvoSendButton = Button(content, "KelvoSendButton", "Start Sending", "Start interactive teaching process");
    KelvoSendButton->setGeometry(114, 318, 96, 27);
    KelvoStopButton = Button(content, "KelvoStopButton", "Stop Kelvo", "Stop interactive teaching, show progress.");
    KelvoStopButton->setGeometry(214, 318, 90, 27);
    KelvoStopButton->setEnabled(false);
    StartNumLabel = Label(content, "StartNumLabel", "Characters to Start");
    StartNumLabel->setGeometry(440, 292, 120, 16);
    StartNumEdit = Edit(content, "StartNumEdit");
    StartNumEdit->setGeometry(566, 290, 40, 22);
    Label10 = Label(content, "Label10", "Characters in use");
    Label10->setGeometry(440, 320, 120, 16);
    UsingEdit = Edit(content, "UsingEdit");
    UsingEdit->setReadOnly(true);
    UsingEdit->setGeometry(566, 318, 40, 22);

    // The error histogram panel, docked at the bottom and hidden until teaching starts.
    Panel2 = Named(new QWidget(central), "Panel2");
    Panel2->setFixedHeight(ChartPanelHeight);
    auto* panelLayout = new QVBoxLayout(Panel2);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setMargins(QMargins(0, 0, 0, 0));
    chart->setBackgroundRoundness(0);
    Series1 = new QBarSeries(chart);
    Series1->setObjectName(QStringLiteral("Series1"));
    Series1->setBarWidth(0.7);
    Series1Bars = new QBarSet(QString(), Series1);
    Series1Bars->setColor(QColor(0x00, 0xFF, 0x00));  // lime
    Series1Bars->setBorderColor(QColor(0x00, 0xFF, 0x00));
    // The 40 bars exist from the start; redrawing replaces their heights in place.
    for (int i = 0; i < DrillAlphabetSize; ++i) Series1Bars->append(0.0);
    Series1->append(Series1Bars);
    chart->addSeries(Series1);
    // A value axis with one named category per bar: it keeps the fixed range -1..40, and having
    // no categories at all shows the bars without labels.
    Chart1BottomAxis = new QCategoryAxis(chart);
    Chart1BottomAxis->setObjectName(QStringLiteral("Chart1BottomAxis"));
    Chart1BottomAxis->setRange(-1, DrillAlphabetSize);
    Chart1BottomAxis->setStartValue(-0.5);
    Chart1BottomAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    Chart1BottomAxis->setGridLineVisible(false);
    // A category is narrower than the padding Qt keeps around a label; one character still fits.
    Chart1BottomAxis->setTruncateLabels(false);
    QFont axisFont = Chart1BottomAxis->labelsFont();
    axisFont.setPixelSize(10);
    Chart1BottomAxis->setLabelsFont(axisFont);
    auto* leftAxis = new QValueAxis(chart);
    leftAxis->setRange(0, 1.1);
    leftAxis->setTickType(QValueAxis::TicksDynamic);
    leftAxis->setTickAnchor(0);
    leftAxis->setTickInterval(0.5);
    leftAxis->setLabelFormat(QStringLiteral("%.1f"));
    leftAxis->setLabelsFont(axisFont);
    chart->addAxis(Chart1BottomAxis, Qt::AlignBottom);
    chart->addAxis(leftAxis, Qt::AlignLeft);
    Series1->attachAxis(Chart1BottomAxis);
    Series1->attachAxis(leftAxis);
    Chart1 = Named(new QChartView(chart, Panel2), "Chart1");
    Chart1->setAccessibleName(QStringLiteral("Error Histogram"));  // the chart's title, not drawn
    panelLayout->addWidget(Chart1);
    column->addWidget(Panel2);

    StatusBar1 = Named(new TStatusBar(this), "StatusBar1");
    StatusBar1->setFixedHeight(StatusHeight);
    setStatusBar(StatusBar1);

    Timer1 = Named(new TTimer(1000, this), "Timer1");
    Timer2 = Named(new TTimer(100, this), "Timer2");

    const auto row = [this](std::initializer_list<QWidget*> widgets) {
        std::vector<std::pair<QWidget*, QRect>> r;
        for (QWidget* w : widgets) r.emplace_back(w, w->geometry());
        captionRows_.push_back(std::move(r));
    };
    row({Label1});
    row({Label2, CspeedScrollbar, Label9});
    row({Label5});
    row({Label3, SpeedScrollBar, Label4});
    row({Label8});
    row({Label6, Freqscrollbar, Label7});
    row({Label15, Edit3, Button3});
    row({Label12, Edit2});
    row({Kelvobutton, KelvoSendButton, KelvoStopButton});
    row({StartNumLabel, StartNumEdit});
    row({Label10, UsingEdit});
}

// Keeps the design's geometry where the text fits. Where a caption needs more room (a larger
// desktop font, or the tone controls shown in the top strip), the control grows to its size hint,
// the controls after it in its row move right by as much, and the window grows wider when the
// strip or a row no longer fits. Runs again whenever the strip's contents or font change.
void TForm1::FitCaptions() {
    constexpr int Margin = 20;  // the design's space left and right of the strip
    int needed = 0;
    for (const auto& r : captionRows_) {
        int right = 0;
        int designRight = 0;
        for (const auto& [w, design] : r) {
            QRect place = design;
            // Keep the design's gap to the control before; never come closer than it.
            if (right > 0) place.moveLeft(std::max(design.left(), right + (design.left() - designRight)));
            const bool captioned = qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w);
            if (captioned) place.setWidth(std::max(design.width(), w->sizeHint().width()));
            w->setGeometry(place);
            right = place.left() + place.width();
            designRight = design.left() + design.width();
        }
        needed = std::max(needed, right + Margin);
    }
    const QRect strip = Panel1->geometry();
    const QSize hint = Panel1->sizeHint();
    Panel1->resize(std::max(DesignStripWidth, hint.width()), std::max(DesignStripHeight, hint.height()));
    needed = std::max(needed, strip.left() + Panel1->width() + Margin);
    const int width = std::max(DesignClientWidth, needed);
    if (width != this->width()) setFixedSize(width, height());
}

void TForm1::BuildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    bar->setNativeMenuBar(false);
    const auto item = [this](QMenu* menu, QAction*& action, const char* name, const char* caption,
                             const char* hint = "") {
        action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromLatin1(name));
        action->setStatusTip(QString());  // menu hints are kept but nothing displays them
        action->setToolTip(QString::fromUtf8(hint));
    };
    Advanced1 = bar->addMenu(QStringLiteral("Advanced"));
    Advanced1->setObjectName(QStringLiteral("Advanced1"));
    Advanced1->menuAction()->setToolTip(QStringLiteral("Show advanced functions"));
    item(Advanced1, SaveEnv1, "SaveEnv1", "SaveEnvironment", "Save the main operating parameters");
    item(Advanced1, LoadEnv1, "LoadEnv1", "LoadEnvironment", "Re-load the mian operating parameters");
    item(Advanced1, FastMode1, "FastMode1", "FastMode", "Set 6 - 40 WPM");
    item(Advanced1, SlowMode1, "SlowMode1", "SlowMode", "Set 3 - 20 WPM");
    item(Advanced1, ToggleProgress1, "ToggleProgress1", "ToggleProgress", "Toggle visibility of \"progress\" box");
    item(Advanced1, RandChars1, "RandChars1", "RandomChars", "Random character handling");
    item(Advanced1, Dits1, "Dits1", "Dits");
    item(Advanced1, ToggleTone1, "ToggleTone1", "Toggle Tone");
    item(Advanced1, ToggleUppercase1, "ToggleUppercase1", "Toggle Uppercase");
    item(Advanced1, Progress1, "Progress1", "Progress", "Show how your drill sessions went");
    Notepad1 = bar->addAction(QStringLiteral("Notepad"));
    Notepad1->setObjectName(QStringLiteral("Notepad1"));
    Notepad1->setToolTip(QStringLiteral("Show Notepad editor"));
    H1 = bar->addMenu(QStringLiteral("Help"));
    H1->setObjectName(QStringLiteral("H1"));
    item(H1, HelpFile1, "HelpFile1", "Help File");
    item(H1, About1, "About1", "About");
}

void TForm1::ConnectHandlers() {
    const auto on = [this](auto* sender, auto signal, void (TForm1::*handler)()) {
        connect(sender, signal, this, Guard([this, handler] { (this->*handler)(); }));
    };
    on(CheckBox1, &QCheckBox::toggled, &TForm1::CheckBox1Click);
    on(CheckBox2, &QCheckBox::toggled, &TForm1::CheckBox2Click);
    CspeedScrollbar->OnChange = [this] { CspeedScrollbarChange(); };
    SpeedScrollBar->OnChange = [this] { SpeedScrollBarChange(); };
    Freqscrollbar->OnChange = [this] { FreqscrollbarChange(); };
    on(SpinEdit3, &QSpinBox::textChanged, &TForm1::SpinEdit3Change);
    on(CheckBox3, &QCheckBox::toggled, &TForm1::SpinEdit3Change);
    on(Button4, &QPushButton::clicked, &TForm1::Button4Click);
    on(Sendbutton, &QPushButton::clicked, &TForm1::SendbuttonClick);
    on(Button2, &QPushButton::clicked, &TForm1::Button2Click);
    on(AbortButton, &QPushButton::clicked, &TForm1::AbortButtonClick);
    on(Kelvobutton, &QPushButton::clicked, &TForm1::KelvobuttonClick);
    on(KelvoSendButton, &QPushButton::clicked, &TForm1::KelvoSendButtonClick);
    on(KelvoStopButton, &QPushButton::clicked, &TForm1::KelvoStopButtonClick);
    on(Timer1, &TTimer::Timer, &TForm1::Timer1Timer);
    on(Timer2, &TTimer::Timer, &TForm1::Timer2Timer);
    on(Button1, &QPushButton::clicked, &TForm1::Button1Click);
    on(LoadFile, &QPushButton::clicked, &TForm1::LoadFileClick);
    on(Button3, &QPushButton::clicked, &TForm1::Button3Click);
    on(SaveEnv1, &QAction::triggered, &TForm1::SaveEnv1Click);
    on(LoadEnv1, &QAction::triggered, &TForm1::LoadEnv1Click);
    on(FastMode1, &QAction::triggered, &TForm1::FastMode1Click);
    on(SlowMode1, &QAction::triggered, &TForm1::SlowMode1Click);
    on(ToggleProgress1, &QAction::triggered, &TForm1::ToggleProgress1Click);
    on(RandChars1, &QAction::triggered, &TForm1::RandChars1Click);
    on(Dits1, &QAction::triggered, &TForm1::Dits1Click);
    on(ToggleTone1, &QAction::triggered, &TForm1::ToggleTone1Click);
    on(ToggleUppercase1, &QAction::triggered, &TForm1::ToggleUppercase1Click);
    on(Progress1, &QAction::triggered, &TForm1::Progress1Click);
    on(Notepad1, &QAction::triggered, &TForm1::Notepad1Click);
    on(HelpFile1, &QAction::triggered, &TForm1::HelpFile1Click);
    on(About1, &QAction::triggered, &TForm1::About1Click);
    for (QLineEdit* box : {CSpeedEdit, SpeedEdit, Freqedit}) box->installEventFilter(this);
    Panel1->installEventFilter(this);
}

// The value boxes' key handlers see every typed character first and may consume it.
bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // The strip asks to be laid out again when a control in it is shown or hidden, or the font
    // changes: its captions may need more room, or fit the design again.
    if (watched == Panel1 && event->type() == QEvent::LayoutRequest) FitCaptions();
    if (event->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const QList<uint> text = key->text().toUcs4();
    if (text.isEmpty()) return false;
    char32_t Key = text.front();
    void (TForm1::*handler)(char32_t&) = nullptr;
    if (watched == CSpeedEdit) handler = &TForm1::CSpeedEditKeyPress;
    if (watched == SpeedEdit) handler = &TForm1::SpeedEditKeyPress;
    if (watched == Freqedit) handler = &TForm1::FreqeditKeyPress;
    if (!handler) return false;
    RunGuarded([&] { (this->*handler)(Key); });
    return Key == 0;
}

int TForm1::ClientHeight() const { return height() - menuHeight_; }

void TForm1::SetClientHeight(int height) { setFixedSize(width(), menuHeight_ + height); }

// The characters as they stand in the box: the plain-text conversion would turn a no-break space
// into a space and a line separator into a line break. Only the separator between the document's
// paragraphs is a line end.
QString TForm1::MemoText(const QPlainTextEdit* memo) {
    QString text = memo->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    return text;
}

void TForm1::SetMemoText(QPlainTextEdit* memo, const QString& text) {
    // CR LF, a lone CR and a lone LF each end a line.
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    memo->setPlainText(plain);
}

QStringList TForm1::MemoLines(const QPlainTextEdit* memo) {
    return memo->document()->toRawText().split(QChar::ParagraphSeparator);
}

void TForm1::AddMemoLine(QPlainTextEdit* memo, const QString& line) {
    // An empty box holds one empty line, which the first added line takes over only when the
    // box was emptied (cleared); appendPlainText does exactly that.
    memo->appendPlainText(line);
}

void TForm1::showEvent(QShowEvent* event) {
    if (!centred_) {
        centred_ = true;
        if (const QScreen* screen = this->screen()) {
            const QRect area = screen->availableGeometry();
            QRect frame = frameGeometry();
            frame.moveCenter(area.center());
            move(frame.topLeft());
        }
    }
    QMainWindow::showEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    RunGuarded([this] { FormClose(); });
    closing_ = true;
    event->accept();
    emit Closed();
}

void TForm1::FormCreate() {
    HideAll(Label15, Edit3, Button3, Edit2, Label12);
    Paused = false;
    FastMode = false;
    PracticeNumber = 1;
    Panel2->hide();
    SetClientHeight(ClientHeight() - Panel2->height());
    if (auto* app = qobject_cast<TApplication*>(QCoreApplication::instance()))
        app->SetMessageHook([this](const TCharMessage& message) { AppMessage(message); });
    HideAll(StartNumLabel, StartNumEdit, UsingEdit, Label10);
    Code.CodeTableInitialize();
    UsingEdit->setText(QStringLiteral("1"));
    StartNumEdit->setText(QStringLiteral("1"));
    HideAll(SpinEdit2, Label17, SpinEdit3, Label16, CheckBox3);
    WaveTable = StartupWaveTable();
    OutSound1.Initialize();
    CharSpeed = 14;
    SpeedEdit->setText(QStringLiteral("14"));
    CodeSpeed = 5;
    CSpeedEdit->setText(QStringLiteral("5"));
    ToneFreq = 800;
    Freqedit->setText(QStringLiteral("800"));
    Freqscrollbar->SetPosition(800);  // moves from the design position 500: its handler runs
    SetSpeed();
    DrillMode = false;
    DrillRunning = false;
    Timer1->SetEnabled(false);
    KelvoSendButton->setEnabled(false);
    StatusBar1->SetSimpleText(QStringLiteral("Load text into the text box, or press <Start Kelvo.>"));
    Memo2->setPlainText(QStringLiteral("---Quickstart Instructions---"));
    for (const char* line : {"Press <Start Kelvo> button,", "Press <Start Sending> button,",
                             "Type each character you hear,", "If it's unknown, wait.  You'll be shown.",
                             "Stop with <Stop Kelvo> button"})
        AddMemoLine(Memo2, QString::fromUtf8(line));
}

void TForm1::FormClose() { Sending = false; }

void TForm1::CheckBox1Click() { Memo1->setVisible(CheckBox1->isChecked()); }

void TForm1::CheckBox2Click() { Memo2->setVisible(CheckBox2->isChecked()); }

}  // namespace kelvo
