#include "ui/main/form1.h"

#include "platform/convert.h"

#include <QLineEdit>
#include <stdexcept>

namespace kelvo {

namespace {
int BoxValue(const QLineEdit* box) { return StrToInt(box->text().toStdString()); }
}  // namespace

// Reads the three value boxes and recomputes the timing. A failing step leaves the fields of the
// later steps as they were, so the timing in force stays usable.
void TForm1::SetSpeed() {
    CharSpeed = BoxValue(SpeedEdit);
    CodeSpeed = BoxValue(CSpeedEdit);
    const int frequency = BoxValue(Freqedit);
    // The synthesizer steps through its wave table forwards only; a negative tone is refused
    // here and the previous tone and timing stay in force.
    if (frequency < 0)
        throw std::runtime_error(FormatMessage("'%s' Hz is not a valid audio frequency: it cannot be negative",
                                               Freqedit->text().toStdString()));
    ToneFreq = frequency;
    Timing = ComputeTiming(CodeSpeed, CharSpeed);
}

}  // namespace kelvo
