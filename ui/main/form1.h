#pragma once
// The main window. It owns every control and every piece of program state, and its handlers are
// the program's operations. The class is declared here once; its member functions are defined in
// the folder of the feature they belong to:
//   ui/main/   layout and start-up, value controls, settings file, side-window commands
//   keying/    timing, tone synthesizer, text sender
//   teaching/  the drill's buttons, timers, keyboard hook and chart
//   sources/   practice texts, random groups, dits, file loading
// Handlers do the wiring; the arithmetic lives in the Qt-free units they call.
#include "audio/out_sound.h"
#include "keying/code_table.h"
#include "keying/timing.h"
#include "keying/wave_table.h"
#include "platform/controls.h"
#include "platform/dialogs.h"
#include "teaching/drill_model.h"
#include "teaching/session_record.h"

#include <QMainWindow>

#include <utility>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QWidget;
class QChartView;
class QBarSeries;
class QBarSet;
class QCategoryAxis;

namespace kelvo {

class TForm2;
class TAboutBox;
class TProgressForm;

// Design client area of the main window; the chart panel is part of it and hidden at start.
inline constexpr int DesignClientWidth = 673;
inline constexpr int DesignClientHeight = 471;
inline constexpr int ChartPanelHeight = 100;
// The sound output: 8000 samples per second, buffers of half a second.
inline constexpr int MainSampRate = 8000;
inline constexpr int MainBufferLength = 4000;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1();
    ~TForm1() override;
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // Client height: the window below its menu bar.
    int ClientHeight() const;
    void SetClientHeight(int height);

    // The text of a multi-line box with its lines joined by CR LF, and the reverse.
    static QString MemoText(const QPlainTextEdit* memo);
    static void SetMemoText(QPlainTextEdit* memo, const QString& text);
    static QStringList MemoLines(const QPlainTextEdit* memo);
    static void AddMemoLine(QPlainTextEdit* memo, const QString& line);
    // Hides each of the given controls.
    template <class... W>
    static void HideAll(W*... controls) {
        (controls->hide(), ...);
    }

    // ---- start-up and window ----
    void FormCreate();
    void FormClose();
    void CheckBox1Click();
    void CheckBox2Click();

    // ---- speed, frequency and tone controls ----
    void CspeedScrollbarChange();
    void SpeedScrollBarChange();
    void FreqscrollbarChange();
    // Key handlers of the value boxes; setting Key to 0 consumes the key.
    void CSpeedEditKeyPress(char32_t& Key);
    void SpeedEditKeyPress(char32_t& Key);
    void FreqeditKeyPress(char32_t& Key);
    void FastMode1Click();
    void SlowMode1Click();
    void ToggleTone1Click();
    void ToggleProgress1Click();
    void Button4Click();

    // ---- settings file, notepad, help, about ----
    void SaveEnv1Click();
    void LoadEnv1Click();
    void Notepad1Click();
    void HelpFile1Click();
    void About1Click();
    void Progress1Click();

    // ---- keying ----
    void SetSpeed();
    void PlayNote(double frequency, double duration, double amplitude);
    void SpinEdit3Change();
    void SendbuttonClick();
    void SendText();
    void AbortButtonClick();
    void Button2Click();

    // ---- teaching ----
    void AppMessage(const TCharMessage& message);
    void KelvobuttonClick();
    void KelvoSendButtonClick();
    void KelvoStopButtonClick();
    void Timer1Timer();
    void Timer2Timer();
    void PlayDrillChar();
    void ShowHistogram();
    void ToggleUppercase1Click();
    // Appends the drill just stopped to the history file and redraws an open Progress window.
    void RecordSession(int rating);

    // ---- text sources ----
    void Button1Click();
    void LoadFileClick();
    void RandChars1Click();
    void Button3Click();
    void Dits1Click();
    // Loading a text hides the chart panel and gives its height back.
    void HideChartPanel();

    // ---- controls (objectName = the member's name) ----
    QWidget* Panel1 = nullptr;
    QPushButton* LoadFile = nullptr;
    QPushButton* Button1 = nullptr;
    QLabel* Label11 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* Sendbutton = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* AbortButton = nullptr;
    QPushButton* Button4 = nullptr;
    QSpinBox* SpinEdit3 = nullptr;
    QLabel* Label17 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QSpinBox* SpinEdit2 = nullptr;
    QLabel* Label16 = nullptr;

    QPlainTextEdit* Memo1 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QPlainTextEdit* Memo3 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLabel* Label12 = nullptr;
    TStatusBar* StatusBar1 = nullptr;

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label9 = nullptr;
    TScrollBar* CspeedScrollbar = nullptr;
    QLineEdit* CSpeedEdit = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    TScrollBar* SpeedScrollBar = nullptr;
    QLineEdit* SpeedEdit = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    TScrollBar* Freqscrollbar = nullptr;
    QLineEdit* Freqedit = nullptr;

    QPushButton* Kelvobutton = nullptr;
    QPushButton* KelvoSendButton = nullptr;
    QPushButton* KelvoStopButton = nullptr;
    QLabel* StartNumLabel = nullptr;
    QLineEdit* StartNumEdit = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* UsingEdit = nullptr;
    QWidget* Panel2 = nullptr;
    QChartView* Chart1 = nullptr;
    QBarSeries* Series1 = nullptr;
    QBarSet* Series1Bars = nullptr;
    QCategoryAxis* Chart1BottomAxis = nullptr;  // -1..40, one category per bar

    QLabel* Label15 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QPushButton* Button3 = nullptr;

    TTimer* Timer1 = nullptr;
    TTimer* Timer2 = nullptr;
    TOpenDialog OpenDialog1;
    TFontDialog FontDialog1;

    QMenu* Advanced1 = nullptr;
    QAction* SaveEnv1 = nullptr;
    QAction* LoadEnv1 = nullptr;
    QAction* FastMode1 = nullptr;
    QAction* SlowMode1 = nullptr;
    QAction* ToggleProgress1 = nullptr;
    QAction* RandChars1 = nullptr;
    QAction* Dits1 = nullptr;
    QAction* ToggleTone1 = nullptr;
    QAction* ToggleUppercase1 = nullptr;
    QAction* Progress1 = nullptr;
    QAction* Notepad1 = nullptr;
    QMenu* H1 = nullptr;
    QAction* HelpFile1 = nullptr;
    QAction* About1 = nullptr;

    // The side windows, created after this one and shown on command.
    TForm2* Form2 = nullptr;
    TAboutBox* AboutBox = nullptr;
    // Made on first use; a child window, destroyed with this one.
    TProgressForm* ProgressForm = nullptr;

    // ---- program state ----
    TCodeTable Code;
    double CharSpeed = 0;
    double CodeSpeed = 0;
    double ToneFreq = 0;
    KeyingTiming Timing;  // DitTime, CharGap, WordGap; read afresh by every tone and silence

    TWaveTable WaveTable{};
    double RiseTime = 0;
    double RampStep = 0;
    TOutSound OutSound1;  // 8000 samples per second, buffers of 4000 values

    QString SentText;
    int SendPos = 0;
    bool Sending = false;
    bool Paused = false;

    bool FastMode = false;
    int PracticeNumber = 0;
    QString GroupChars;

    bool DrillMode = false;
    bool DrillRunning = false;
    TDrillModel Drill;
    // Whether the chart's bars carry their characters now; the labels change only with the mode.
    bool HistogramLabelled = false;
    // What the drill has done since Start Sending, for the history file.
    TSessionTally Tally;

signals:
    // The window was closed: the program ends.
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildLayout();
    void BuildMenu();
    void ConnectHandlers();
    void ShowSentText();
    // Names, descriptions, Tab order and keys for screen readers and the keyboard alone.
    void MakeAccessible();
    void FitCaptions();

    // The controls below the top strip that stand side by side, each row from left to right with
    // its design geometry: FitCaptions widens and moves them from there.
    std::vector<std::vector<std::pair<QWidget*, QRect>>> captionRows_;

    int menuHeight_ = 0;
    bool centred_ = false;
    // Set once the window has been closed: the note being played stops at its next sample, and a
    // send waiting in its pause ends as well instead of keeping the program alive with no window.
    bool closing_ = false;
    // The chart's text equivalent is rebuilt once per redraw.
    bool chartDescriptionPending_ = false;
};

}  // namespace kelvo
