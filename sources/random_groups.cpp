#include "ui/main/form1.h"

#include "platform/random_source.h"
#include "sources/group_generator.h"
#include "sources/group_text.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kelvo {

void TForm1::RandChars1Click() {
    Button3->show();
    Memo2->hide();
    Edit3->show();
    Label15->show();
    CheckBox2->setChecked(false);
    Memo1->clear();
    for (const char* line : {"Enter characters, no spaces, in the `Enter Characters' box.",
                             "Then click the button labelled `Generate'",
                             "A random string of them will appear in this box.",
                             "After they appear, click the `send text' button to send them"})
        AddMemoLine(Memo1, QString::fromUtf8(line));
}

// Fills the send box with 63 characters drawn from Edit3 in groups of five draws. Each new
// string needs "RandomChars" first: a finished generation hides the entry controls again.
void TForm1::Button3Click() {
    Button3->show();
    Label15->show();
    Edit3->show();
    GroupChars = Edit3->text();
    if (GroupChars.isEmpty()) return;
    TRandomSource source;
    source.Randomize();
    std::u32string groups;
    try {
        groups = GenerateGroupText(GroupChars.toStdU32String(), source);
    } catch (const EGroupChars& refused) {
        // Not a fault but advice: say it where the learner looks, keep the send box and the
        // entry controls so the characters can be corrected at once.
        StatusBar1->SetSimpleText(QString::fromUtf8(refused.what()));
        return;
    }
    Memo1->setPlainText(QString::fromStdU32String(groups));
    // A refusal shown by an earlier try is no longer true.
    if (StatusBar1->SimpleText() == QString::fromUtf8(SingleGroupCharMessage)) StatusBar1->SetSimpleText(QString());
    Button3->hide();
    Label15->hide();
    Edit3->hide();
}

// Each "@" sounds as twenty dits: a steady run for checking the tone and the speed.
void TForm1::Dits1Click() { SetMemoText(Memo1, QStringLiteral("@@@@@@@@@@")); }

}  // namespace kelvo
