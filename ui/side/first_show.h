#pragma once
// Side windows open in the middle of the screen the first time they are shown, and stay where
// the user (or the program) put them afterwards.
#include <QWidget>

namespace kelvo {

class CentreOnFirstShow {
public:
    // Call from the window's showEvent.
    void Shown(QWidget* window);

private:
    bool done_ = false;
};

}  // namespace kelvo
