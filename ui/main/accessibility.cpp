// What a screen reader and a keyboard-only learner need of the main window, none of which a
// sighted user sees: a name for every control (the value boxes by their labels), the scrollbars
// by what they set and their range, read-only boxes that say so, the chart's bars in words, a
// Tab order that follows the window from top to bottom, and F10 for the menu. Qt itself passes
// on the changes a screen reader announces: the status line's new text (a name change) and each
// echo or rating line (text inserted into the text box), without moving the focus. Typed
// characters are drill answers, so nothing here adds a letter shortcut.
#include "ui/main/accessibility.h"

#include "ui/main/form1.h"

#include "teaching/histogram_text.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChartView>
#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSpinBox>

#include <string>
#include <vector>

namespace kelvo {

namespace {

const char* const TextBoxName = "Text to send";
const char* const QuickstartName = "Quickstart Instructions";
const char* const StatusLineName = "Status line";
const char* const ScrollSuffix = ", scroll position";

// A box the learner reads but cannot change ("Characters in use", the progress box). Qt's own
// line-edit interface reports such a box editable; this one reports it read-only and gives its
// text to read, and nothing to edit.
class ReadOnlyBoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ReadOnlyBoxAccessible(QLineEdit* box) : QAccessibleWidget(box, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = false;
        s.readOnly = true;
        return s;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return Box()->text();
        return QAccessibleWidget::text(t);  // the name comes from the buddy label
    }

    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return Box()->cursorPosition(); }
    void setCursorPosition(int position) override { Box()->setCursorPosition(position); }
    QString text(int start, int end) const override { return Box()->text().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(Box()->text().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    QLineEdit* Box() const { return static_cast<QLineEdit*>(widget()); }
};

// Asked by Qt for every object, most derived class first; answers only for what it improves.
QAccessibleInterface* AccessibleFactory(const QString& className, QObject* object) {
    if (!object || className != QLatin1String(object->metaObject()->className())) return nullptr;
    if (auto* box = qobject_cast<QLineEdit*>(object); box && box->isReadOnly()) return new ReadOnlyBoxAccessible(box);
    if (auto* chart = qobject_cast<QChartView*>(object)) return new QAccessibleWidget(chart, QAccessible::Chart);
    // A plain frame groups controls (the top strip, the about box's panel); Qt would report it as
    // a window frame, which a screen reader takes for a window of its own.
    if (object->metaObject() == &QFrame::staticMetaObject && !static_cast<QFrame*>(object)->isWindow())
        return new QAccessibleWidget(static_cast<QFrame*>(object), QAccessible::Pane);
    return nullptr;
}

// F10 takes the keyboard into the menu bar, as Alt pressed and released alone does in Qt: the
// first menu is highlighted, arrows move between menus and items, Enter runs or opens, Escape
// gives the focus back. F10 does it by handing the menu bar that same Alt tap.
void TapAlt(QWidget* window) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QCoreApplication::sendEvent(target, &release);
}

// "Code Speed, 3 to 20": the scale as its range labels show it (6 to 40 in the fast scale).
QString ScaleName(const QLabel* caption, const QLabel* low, const QLabel* high) {
    return caption->text() + QStringLiteral(", ") + low->text() + QStringLiteral(" to ") + high->text();
}

void NameTextScrollBars(QPlainTextEdit* memo) {
    for (QScrollBar* bar : {memo->verticalScrollBar(), memo->horizontalScrollBar()})
        bar->setAccessibleName(memo->accessibleName() + QString::fromUtf8(ScrollSuffix));
}

}  // namespace

void InstallAccessibleFactory() { QAccessible::installFactory(AccessibleFactory); }

void TForm1::MakeAccessible() {
    // Boxes are named by the label beside them; a buddy without "&" adds no shortcut.
    const std::pair<QLabel*, QWidget*> buddies[] = {
        {Label11, Edit1},      {Label17, SpinEdit3},    {Label16, SpinEdit2}, {Label1, CSpeedEdit},
        {Label5, SpeedEdit},   {Label8, Freqedit},      {Label15, Edit3},     {Label12, Edit2},
        {StartNumLabel, StartNumEdit}, {Label10, UsingEdit},
    };
    for (const auto& [label, box] : buddies) label->setBuddy(box);

    Memo1->setAccessibleName(QString::fromUtf8(TextBoxName));
    Memo2->setAccessibleName(QString::fromUtf8(QuickstartName));
    NameTextScrollBars(Memo1);
    NameTextScrollBars(Memo2);
    // Tab leaves the text boxes instead of typing a tab, which has no Morse code anyway: without
    // this a keyboard-only learner is caught in the text box.
    Memo1->setTabChangesFocus(true);
    Memo2->setTabChangesFocus(true);
    StatusBar1->setAccessibleName(QString::fromUtf8(StatusLineName));

    // The scrollbars take the keyboard too (arrows, Page Up/Down, Home/End), reached by Tab only,
    // so a click still leaves the focus where it was.
    const auto nameScales = [this] {
        CspeedScrollbar->setAccessibleName(ScaleName(Label1, Label2, Label9));
        SpeedScrollBar->setAccessibleName(ScaleName(Label5, Label3, Label4));
        Freqscrollbar->setAccessibleName(ScaleName(Label8, Label6, Label7));
    };
    nameScales();
    for (TScrollBar* bar : {CspeedScrollbar, SpeedScrollBar, Freqscrollbar}) bar->setFocusPolicy(Qt::TabFocus);
    // FastMode and SlowMode relabel the code-speed range; these run after their handlers.
    connect(FastMode1, &QAction::triggered, this, nameScales);
    connect(SlowMode1, &QAction::triggered, this, nameScales);

    // The chart in words, redrawn with it: bar heights and labels change one at a time, so the
    // description is rebuilt once, after the whole redraw.
    const auto describeChart = [this] {
        std::vector<double> weights;
        for (int i = 0; i < Series1Bars->count(); ++i) weights.push_back(Series1Bars->at(i));
        std::string labels;
        const QStringList categories = Chart1BottomAxis->categoriesLabels();
        if (categories.size() == Series1Bars->count())
            for (const QString& label : categories) labels += label.isEmpty() ? ' ' : label.front().toLatin1();
        Chart1->setAccessibleDescription(QString::fromStdString(HistogramText(weights, labels)));
    };
    const auto chartChanged = [this, describeChart] {
        if (chartDescriptionPending_) return;
        chartDescriptionPending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this, describeChart] {
                chartDescriptionPending_ = false;
                describeChart();
            },
            Qt::QueuedConnection);
    };
    describeChart();
    connect(Series1Bars, &QBarSet::valueChanged, this, chartChanged);
    connect(Chart1BottomAxis, &QCategoryAxis::categoriesChanged, this, chartChanged);

    // Tab follows the window: the top strip, the text and what lies below it, the value controls,
    // then the drill, where Stop Kelvo comes right after the chart that holds the focus for answers. Hidden controls are skipped until they are shown.
    QWidget* const order[] = {
        LoadFile,        Button1,        Edit1,          CheckBox2,      CheckBox1,      Sendbutton,
        Button2,         AbortButton,    Button4,        SpinEdit3,      CheckBox3,      SpinEdit2,
        Memo1,           Memo2,          Edit3,          Button3,        Edit2,          CspeedScrollbar,
        CSpeedEdit,      SpeedScrollBar, SpeedEdit,      Freqscrollbar,  Freqedit,       Kelvobutton,
        StartNumEdit,    KelvoSendButton, UsingEdit,     Chart1,         KelvoStopButton,
    };
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    // F10 opens the menu, as in other desktop programs.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    menuKey->setObjectName(QStringLiteral("MenuKey"));
    connect(menuKey, &QShortcut::activated, this, [this] { TapAlt(this); });
}

}  // namespace kelvo
