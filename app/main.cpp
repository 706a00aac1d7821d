// Kelvo: starts the application, creates the windows and runs the event loop. The program
// reads no command line: Qt is given the program name only, so no argument changes anything.
#include "platform/controls.h"
#include "platform/guard.h"
#include "ui/main/form1.h"
#include "ui/side/about_box.h"
#include "ui/side/notepad.h"

#include <memory>

int main(int argc, char** argv) {
    int qtArgc = argc > 0 ? 1 : 0;
    kelvo::TApplication app(qtArgc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kelvo::ApplicationTitle));
    // The menu entry's name, so that the desktop shows the window under its name and icon.
    QApplication::setDesktopFileName(QStringLiteral("org.kelvo.Kelvo"));
    QApplication::setQuitOnLastWindowClosed(false);  // the main window's close ends the program

    // The main window first, so that it is the application's main window; the notepad and the
    // about box stay hidden until asked for.
    auto form1 = std::make_unique<kelvo::TForm1>();
    auto form2 = std::make_unique<kelvo::TForm2>();
    auto aboutBox = std::make_unique<kelvo::TAboutBox>();
    form1->Form2 = form2.get();
    form1->AboutBox = aboutBox.get();
    // Closing the main window ends the program, even while a side window is open.
    QObject::connect(form1.get(), &kelvo::TForm1::Closed, &app, &QCoreApplication::quit);
    form1->show();
    const int result = QApplication::exec();
    // Close the sound device here, where a failure can still be shown.
    kelvo::RunGuarded([&] { form1->OutSound1.Close(); });
    form1.reset();  // it refers to the side windows, so it goes first
    aboutBox.reset();
    form2.reset();
    return result;
}
