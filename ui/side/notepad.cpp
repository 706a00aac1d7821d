#include "ui/side/notepad.h"

#include "platform/guard.h"
#include "platform/text_file.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <filesystem>
#include <string>
#include <vector>

namespace kelvo {

namespace {

std::filesystem::path NotepadFile() { return ResolveNoCase({}, NotepadFileName); }

}  // namespace

TForm2::TForm2() {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Note Pad:  Enter and edit notes here."));
    setToolTip(QStringLiteral("NotePad form:  Re-size as necessary."));

    Button1 = new QPushButton(QStringLiteral("Save Notepad"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setToolTip(QStringLiteral("Click to save your notes."));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setToolTip(QStringLiteral("Write your notes about progress in here."));
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font = Memo1->font();
    font.setPixelSize(13);
    Memo1->setFont(font);
    // For screen readers; the window's caption and the hint stay the only visible texts.
    Memo1->setAccessibleName(QStringLiteral("Notes"));
    for (QScrollBar* bar : {Memo1->verticalScrollBar(), Memo1->horizontalScrollBar()})
        bar->setAccessibleName(QStringLiteral("Notes, scroll position"));

    // The button keeps its place at the top left; the notes take the rest and follow every edge
    // of the window as it is resized.
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->addWidget(Button1, 0, Qt::AlignLeft);
    column->addWidget(Memo1, 1);

    resize(NotepadDesignWidth, NotepadDesignHeight);
    connect(Button1, &QPushButton::clicked, this, Guard([this] { Button1Click(); }));
}

void TForm2::showEvent(QShowEvent* event) {
    centre_.Shown(this);
    QWidget::showEvent(event);
}

void TForm2::Button1Click() {
    // One line per line of the box; the line breaks that word wrap shows are not in the text.
    // WriteTextLines ends every line with CR LF, the last one too, and reading drops that final
    // end again, so saving and reloading gives back exactly the same text.
    std::vector<std::string> lines;
    for (const QString& line : Memo1->toPlainText().split(QLatin1Char('\n'))) lines.push_back(line.toStdString());
    WriteTextLines(NotepadFile(), lines);
}

bool TForm2::ReloadNotes() {
    const std::filesystem::path file = NotepadFile();
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return false;
    QStringList lines;
    for (const std::string& line : ReadTextLines(file)) lines << QString::fromStdString(line);
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
    return true;
}

}  // namespace kelvo
