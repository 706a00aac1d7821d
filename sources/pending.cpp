// Handlers of a feature that is still being built. Each fails with a clear message
// instead of pretending to work; the feature's own source file replaces this one.
#include "ui/main/form1.h"

#include <stdexcept>

namespace kelvo {

namespace {
[[noreturn]] void NotYet(const char* what) { throw std::logic_error(std::string(what) + " is not available yet."); }
}  // namespace

void TForm1::Button1Click() { NotYet("Practice texts"); }
void TForm1::LoadFileClick() { NotYet("File loading"); }
void TForm1::RandChars1Click() { NotYet("Random groups"); }
void TForm1::Button3Click() { NotYet("Random groups"); }
void TForm1::Dits1Click() { NotYet("Dits"); }

}  // namespace kelvo
