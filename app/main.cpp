// Kelvo: starts the application, creates the windows and runs the event loop. The program
// reads no command line: Qt is given the program name only, so no argument changes anything.
#include "platform/controls.h"
#include "platform/guard.h"
#include "ui/main/form1.h"

#include <memory>

int main(int argc, char** argv) {
    int qtArgc = argc > 0 ? 1 : 0;
    kelvo::TApplication app(qtArgc, argv);
    QApplication::setApplicationName(QString::fromUtf8(kelvo::ApplicationTitle));
    QApplication::setQuitOnLastWindowClosed(false);  // the main window's close ends the program

    auto form1 = std::make_unique<kelvo::TForm1>();
    // Closing the main window ends the program, even while a side window is open.
    QObject::connect(form1.get(), &kelvo::TForm1::Closed, &app, &QCoreApplication::quit);
    form1->show();
    const int result = QApplication::exec();
    // Close the sound device here, where a failure can still be shown.
    kelvo::RunGuarded([&] { form1->OutSound1.Close(); });
    form1.reset();
    return result;
}
