#include "ui/main/form1.h"

#include "keying/tone_shaper.h"
#include "platform/controls.h"
#include "platform/convert.h"
#include "platform/guard.h"

#include <QCheckBox>
#include <QLocale>
#include <QSpinBox>

namespace kelvo {

// One mark or silence. Every sample goes to the sound device, and pending events are processed
// after each, so every other handler (pause, abort, the speed controls, the drill) runs nested
// inside a send and acts at once. Closing the window is one of them: from then on no sample is
// made and nothing more is queued, and the send or drill turn around this note ends silently.
void TForm1::PlayNote(double frequency, double duration, double amplitude) {
    if (closing_) throw EAbort();
    const double riseMs = StrToFloat(SpinEdit2->text().toStdString(), QLocale().decimalPoint().at(0).toLatin1());
    RiseTime = RiseTimeFromMs(riseMs);
    ShapeNote(WaveTable, OutSound1.SampRate(), riseMs, frequency, duration, amplitude, RampStep,
              [this](std::int16_t value) {
                  OutSound1.PutSample({value, value});
                  ProcessMessages();
                  if (closing_) throw EAbort();
              });
}

// Rebuilds the waveform from the harmonics and square-wave controls; applies from the next sample.
void TForm1::SpinEdit3Change() {
    const int harmonics = StrToInt(SpinEdit3->text().toStdString());
    WaveTable = BuildWaveTable(harmonics, CheckBox3->isChecked());
}

}  // namespace kelvo
