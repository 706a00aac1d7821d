#include "platform/dialogs.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QLabel>

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
// Qt's font dialog heads each column (font, style, size) with one label over a box and a list,
// but a screen reader gets that label's name for one of them at most. Every unnamed control in
// a labelled column takes the label's text.
void NameColumnsByTheirLabels(QWidget* dialog) {
    for (QGridLayout* grid : dialog->findChildren<QGridLayout*>()) {
        for (int i = 0; i < grid->count(); ++i) {
            auto* label = qobject_cast<QLabel*>(grid->itemAt(i)->widget());
            if (!label) continue;
            int row = 0, column = 0, rows = 0, columns = 0;
            grid->getItemPosition(i, &row, &column, &rows, &columns);
            QString name = label->text();
            name.remove(QLatin1Char('&'));
            for (int below = row + 1; below < grid->rowCount(); ++below) {
                QLayoutItem* item = grid->itemAtPosition(below, column);
                QWidget* w = item ? item->widget() : nullptr;
                if (!w || qobject_cast<QLabel*>(w)) break;
                if (w->accessibleName().isEmpty()) w->setAccessibleName(name);
            }
        }
    }
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
        QFontDialog dialog(Font, parent);
        NameColumnsByTheirLabels(&dialog);
        if (dialog.exec() == QDialog::Accepted) chosen = dialog.selectedFont();
    }
    if (!chosen) return false;
    Font = *chosen;
    return true;
}

}  // namespace kelvo
