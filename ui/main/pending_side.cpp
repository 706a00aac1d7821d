// Handlers of a feature that is still being built. Each fails with a clear message
// instead of pretending to work; the feature's own source file replaces this one.
#include "ui/main/form1.h"

#include <stdexcept>

namespace kelvo {

namespace {
[[noreturn]] void NotYet(const char* what) { throw std::logic_error(std::string(what) + " is not available yet."); }
}  // namespace

void TForm1::SaveEnv1Click() { NotYet("SaveEnvironment"); }
void TForm1::LoadEnv1Click() { NotYet("LoadEnvironment"); }
void TForm1::Notepad1Click() { NotYet("Notepad"); }
void TForm1::HelpFile1Click() { NotYet("Help File"); }
void TForm1::About1Click() { NotYet("About"); }

}  // namespace kelvo
