// Handlers of a feature that is still being built. Each fails with a clear message
// instead of pretending to work; the feature's own source file replaces this one.
#include "ui/main/form1.h"

#include <stdexcept>

namespace kelvo {

namespace {
[[noreturn]] void NotYet(const char* what) { throw std::logic_error(std::string(what) + " is not available yet."); }
}  // namespace

void TForm1::PlayNote(double, double, double) { NotYet("Sound output"); }
void TForm1::SpinEdit3Change() { NotYet("Tone shaping"); }
void TForm1::SendbuttonClick() { NotYet("Sending"); }
void TForm1::SendText() { NotYet("Sending"); }
void TForm1::AbortButtonClick() { NotYet("Sending"); }
void TForm1::Button2Click() { NotYet("Sending"); }

}  // namespace kelvo
