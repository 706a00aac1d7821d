// Handlers of a feature that is still being built. Each fails with a clear message
// instead of pretending to work; the feature's own source file replaces this one.
#include "ui/main/form1.h"

#include <stdexcept>

namespace kelvo {

namespace {
[[noreturn]] void NotYet(const char* what) { throw std::logic_error(std::string(what) + " is not available yet."); }
}  // namespace

void TForm1::AppMessage(const TCharMessage&) {}
void TForm1::KelvobuttonClick() { NotYet("Teaching"); }
void TForm1::KelvoSendButtonClick() { NotYet("Teaching"); }
void TForm1::KelvoStopButtonClick() { NotYet("Teaching"); }
void TForm1::Timer1Timer() { NotYet("Teaching"); }
void TForm1::Timer2Timer() { NotYet("Teaching"); }
void TForm1::PlayDrillChar() { NotYet("Teaching"); }
void TForm1::ShowHistogram() { NotYet("Teaching"); }
void TForm1::ToggleUppercase1Click() { NotYet("Teaching"); }

}  // namespace kelvo
