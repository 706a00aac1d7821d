#include "platform/dialogs.h"

#include <QFileDialog>
#include <QFontDialog>

namespace kelvo {

namespace {
TOpenDialog::Answer& OpenAnswer() {
    static TOpenDialog::Answer answer;
    return answer;
}
TFontDialog::Answer& FontAnswer() {
    static TFontDialog::Answer answer;
    return answer;
}
}  // namespace

void TOpenDialog::SetTestAnswer(Answer answer) { OpenAnswer() = std::move(answer); }

bool TOpenDialog::Execute(QWidget* parent) {
    std::optional<QString> chosen;
    if (OpenAnswer()) {
        chosen = OpenAnswer()(*this);
    } else {
        const QString name = QFileDialog::getOpenFileName(parent, QString(), InitialDir);
        if (!name.isEmpty()) chosen = name;
    }
    if (!chosen) return false;
    FileName = *chosen;
    return true;
}

void TFontDialog::SetTestAnswer(Answer answer) { FontAnswer() = std::move(answer); }

bool TFontDialog::Execute(QWidget* parent) {
    std::optional<QFont> chosen;
    if (FontAnswer()) {
        chosen = FontAnswer()(*this);
    } else {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, Font, parent);
        if (ok) chosen = font;
    }
    if (!chosen) return false;
    Font = *chosen;
    return true;
}

}  // namespace kelvo
