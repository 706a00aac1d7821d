#include "ui/main/form1.h"

#include "platform/convert.h"

#include <QLineEdit>
#include <stdexcept>

namespace kelvo {

namespace {

// Keying runs forwards in time and the synthesizer steps through its wave table forwards only.
constexpr const char* NegativeSpeedMessage = "'%s' words per minute is not a valid speed: it cannot be negative";
constexpr const char* NegativeFrequencyMessage = "'%s' Hz is not a valid audio frequency: it cannot be negative";

// The box's integer, refused with `negativeMessage` when it is below 0.
int BoxValue(const QLineEdit* box, const char* negativeMessage) {
    const std::string text = box->text().toStdString();
    const int value = StrToInt(text);
    if (value < 0) throw std::runtime_error(FormatMessage(negativeMessage, text));
    return value;
}

}  // namespace

// Reads the three value boxes and recomputes the timing. A failing step leaves the fields of the
// later steps as they were, so the timing in force stays usable; a negative value is refused
// before it is stored.
void TForm1::SetSpeed() {
    CharSpeed = BoxValue(SpeedEdit, NegativeSpeedMessage);
    CodeSpeed = BoxValue(CSpeedEdit, NegativeSpeedMessage);
    ToneFreq = BoxValue(Freqedit, NegativeFrequencyMessage);
    Timing = ComputeTiming(CodeSpeed, CharSpeed);
}

}  // namespace kelvo
