#include "ui/side/first_show.h"

#include <QScreen>

namespace kelvo {

void CentreOnFirstShow::Shown(QWidget* window) {
    if (done_) return;
    done_ = true;
    if (const QScreen* screen = window->screen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

}  // namespace kelvo
