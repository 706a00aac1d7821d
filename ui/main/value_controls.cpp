#include "ui/main/form1.h"

#include <QLineEdit>

namespace kelvo {

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

}  // namespace kelvo
