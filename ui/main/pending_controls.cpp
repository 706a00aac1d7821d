// Handlers of a feature that is still being built. Each fails with a clear message
// instead of pretending to work; the feature's own source file replaces this one.
#include "ui/main/form1.h"

#include <stdexcept>

namespace kelvo {

namespace {
[[noreturn]] void NotYet(const char* what) { throw std::logic_error(std::string(what) + " is not available yet."); }
}  // namespace

void TForm1::CSpeedEditKeyPress(char32_t&) {}
void TForm1::SpeedEditKeyPress(char32_t&) {}
void TForm1::FreqeditKeyPress(char32_t&) {}
void TForm1::FastMode1Click() { NotYet("FastMode"); }
void TForm1::SlowMode1Click() { NotYet("SlowMode"); }
void TForm1::ToggleTone1Click() { NotYet("Toggle Tone"); }
void TForm1::ToggleProgress1Click() { NotYet("ToggleProgress"); }
void TForm1::Button4Click() { NotYet("Font"); }

}  // namespace kelvo
