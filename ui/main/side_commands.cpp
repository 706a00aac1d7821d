// The menu commands that open the side windows and the help page. The side windows never block
// the main window: they are shown, not run modally, and may stay open during a send.
#include "ui/main/form1.h"

#include "platform/file_url.h"
#include "platform/shell_open.h"
#include "platform/text_file.h"
#include "ui/side/about_box.h"
#include "ui/side/notepad.h"
#include "ui/side/progress_window.h"

#include <QLineEdit>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace kelvo {

namespace {

constexpr const char* HelpFileName = "help.htm";
// Where a reloaded notepad goes, from the main window's top-left corner.
constexpr int NotepadOffsetDown = 75;
constexpr int NotepadOffsetLeft = 50;

void ShowInFront(QWidget* window, const char* what) {
    if (!window) throw std::logic_error(std::string("The ") + what + " window was not created.");
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

// Every Notepad command reloads the notepad file when there is one, so notes typed since the
// last save are replaced by the saved ones.
void TForm1::Notepad1Click() {
    ShowInFront(Form2, "notepad");
    if (Form2->ReloadNotes()) Form2->move(pos().x() - NotepadOffsetLeft, pos().y() + NotepadOffsetDown);
}

// The help page is looked for in the current directory now, whatever its letter case; whether
// it opens is the desktop's and the browser's concern.
void TForm1::HelpFile1Click() {
    const std::filesystem::path folder = std::filesystem::current_path();
    const std::string name = ResolveNoCase(folder, HelpFileName).filename().string();
    ShellOpen(this, QString::fromStdString(FileUrl(folder.string(), name)));
}

void TForm1::About1Click() { ShowInFront(AboutBox, "about"); }

// The history is read afresh each time, so edits made meanwhile and new sessions show.
void TForm1::Progress1Click() {
    if (!ProgressForm) {
        ProgressForm = new TProgressForm(this);
        connect(ProgressForm, &TProgressForm::ContinueFrom, this,
                [this](int charsInUse) { StartNumEdit->setText(QString::number(charsInUse)); });
    }
    ShowInFront(ProgressForm, "progress");
    ProgressForm->Reload();
}

}  // namespace kelvo
