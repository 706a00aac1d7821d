#include "ui/main/form1.h"

#include "platform/convert.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QCheckBox>

namespace kelvo {

namespace {

constexpr char32_t EnterKey = 13;

int BoxValue(const QLineEdit* box) { return StrToInt(box->text().toStdString()); }

// Enter in a value box takes the typed number as a scrollbar position. When the clamped position
// differs, the scrollbar's own handler rewrites the box and runs SetSpeed; otherwise the typed
// text stays and the SetSpeed that follows reads it as it is, out of range or not.
bool TakeTypedValue(const QLineEdit* box, TScrollBar* bar, char32_t& Key) {
    if (Key != EnterKey) return false;
    bar->SetPosition(BoxValue(box));
    Key = 0;
    return true;
}

void FlipVisible(std::initializer_list<QWidget*> widgets) {
    // Each control by its own flag, not by whether its window happens to be on screen.
    for (QWidget* w : widgets) w->setVisible(w->isHidden());
}

}  // namespace

// A scrollbar writes its shown value into its box; the box is what SetSpeed reads.
void TForm1::CspeedScrollbarChange() {
    const int p = CspeedScrollbar->Position();
    CSpeedEdit->setText(QString::number(FastMode ? 2 * p : p));
    SetSpeed();
}

void TForm1::SpeedScrollBarChange() {
    SpeedEdit->setText(QString::number(SpeedScrollBar->Position()));
    SetSpeed();
}

void TForm1::FreqscrollbarChange() {
    Freqedit->setText(QString::number(Freqscrollbar->Position()));
    SetSpeed();
}

void TForm1::CSpeedEditKeyPress(char32_t& Key) {
    if (TakeTypedValue(CSpeedEdit, CspeedScrollbar, Key)) SetSpeed();
}

void TForm1::SpeedEditKeyPress(char32_t& Key) {
    if (TakeTypedValue(SpeedEdit, SpeedScrollBar, Key)) SetSpeed();
}

void TForm1::FreqeditKeyPress(char32_t& Key) {
    if (TakeTypedValue(Freqedit, Freqscrollbar, Key)) SetSpeed();
}

// The fast scale doubles the box and relabels the range; the scrollbar stays where it is.
// The mode is not consulted, so choosing it again doubles again.
void TForm1::FastMode1Click() {
    FastMode = true;
    // In 64 bits: a typed 1,500,000,000 doubles to 3,000,000,000, which SetSpeed then refuses.
    CSpeedEdit->setText(QString::number(2 * static_cast<qint64>(BoxValue(CSpeedEdit))));
    Label2->setText(QStringLiteral("6"));
    Label9->setText(QStringLiteral("40"));
    SetSpeed();
}

// Halving an odd value leaves a half ("7.5", with the locale's separator), which SetSpeed then
// refuses as not an integer until the box holds a whole number again.
void TForm1::SlowMode1Click() {
    FastMode = false;
    const int n = BoxValue(CSpeedEdit);
    QString half = QString::number(n / 2.0, 'f', n % 2 == 0 ? 0 : 1);
    half.replace(QLatin1Char('.'), QLocale().decimalPoint());
    CSpeedEdit->setText(half);
    Label2->setText(QStringLiteral("3"));
    Label9->setText(QStringLiteral("20"));
    SetSpeed();
}

void TForm1::ToggleTone1Click() {
    FlipVisible({SpinEdit2, Label17, SpinEdit3, Label16, CheckBox3});
}

void TForm1::ToggleProgress1Click() { FlipVisible({Edit2, Label12}); }

// The chosen font is for this run only; it is not saved.
void TForm1::Button4Click() {
    FontDialog1.Font = Memo1->font();
    if (FontDialog1.Execute(this)) Memo1->setFont(FontDialog1.Font);
}

}  // namespace kelvo
