#include "ui/main/form1.h"

#include "platform/convert.h"
#include "platform/text_file.h"
#include "sources/practice_library.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace kelvo {

void TForm1::HideChartPanel() {
    if (Panel2->isHidden()) return;
    SetClientHeight(ClientHeight() - Panel2->height());
    Panel2->hide();
}

// Loads the practice text numbered in Edit1 and moves the box on to the next number. The block
// file is read afresh every time, so a block edited on disk is seen at the next load, and the
// line store it goes through may have been used by anything else in between.
void TForm1::Button1Click() {
    if (Edit1->text() == QLatin1String(FastModeCode)) {
        // The flag alone: the box and the range labels follow when the scrollbar next moves.
        FastMode = true;
        SetSpeed();
        return;
    }
    Memo2->hide();
    CheckBox2->setChecked(false);
    Label10->hide();
    HideChartPanel();
    Memo1->clear();
    PracticeNumber = StrToInt(Edit1->text().toStdString());
    if (const auto place = LocatePracticeText(PracticeNumber)) {
        QStringList block;
        for (const std::string& line : ReadTextLines(ResolveNoCase({}, place->BlockFile)))
            block << QString::fromStdString(line);
        Memo3->setPlainText(block.join(QLatin1Char('\n')));
        // The text is taken from the file's lines, not read back from the line store: the store
        // would also break a line at a Unicode line or paragraph separator, and every later text
        // of the block would then be off by one. A short block gives an empty text, not an error.
        AddMemoLine(Memo1, place->Line <= block.size() ? block[place->Line - 1] : QString());
    }
    if (PracticeNumber < PracticeAdvanceLimit) {
        ++PracticeNumber;
        Edit1->setText(QString::number(PracticeNumber));
    }
}

}  // namespace kelvo
