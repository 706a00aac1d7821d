#include "ui/main/form1.h"

#include "platform/text_file.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <filesystem>

namespace kelvo {

namespace {

// The file's text, its lines as in the file. UTF-8 is read as such and any other byte as its
// Windows-1252 character, so nothing is dropped.
QString LoadText(const QString& fileName) {
    const std::filesystem::path path(QFile::encodeName(fileName).toStdString());
    QStringList lines;
    for (const std::string& line : ReadTextLines(ResolveNoCase(path.parent_path(), path.filename().string())))
        lines << QString::fromStdString(line);
    return lines.join(QStringLiteral("\r\n"));
}

}  // namespace

void TForm1::LoadFileClick() {
    StatusBar1->SetSimpleText(QStringLiteral("Choose a test (ASCII) file to load"));
    UsingEdit->hide();
    Memo2->hide();
    CheckBox2->setChecked(false);
    Label10->hide();
    HideChartPanel();
    if (OpenDialog1.Execute(this)) {
        SetMemoText(Memo1, LoadText(OpenDialog1.FileName));
        // Teaching would overwrite the loaded text; a send that ends or is aborted enables it again.
        Kelvobutton->setEnabled(false);
    }
    SendPos = 1;
    SentText.clear();
    StatusBar1->SetSimpleText(QStringLiteral("Press <Send Text> to start sending"));
}

}  // namespace kelvo
