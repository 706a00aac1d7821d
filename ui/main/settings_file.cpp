// The environment file: the practice number, the three scrollbar positions and the number of
// characters in use, saved and loaded on command. Nothing is saved automatically and nothing is
// read at start-up.
#include "ui/main/form1.h"

#include "platform/convert.h"
#include "platform/text_file.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include <filesystem>
#include <string>
#include <vector>

namespace kelvo {

namespace {

constexpr const char* EnvironmentFileName = "Kelvoinit.txt";

std::filesystem::path EnvironmentFile() { return ResolveNoCase({}, EnvironmentFileName); }

// The lines go into the line store as they are; an empty first line is a line too. The store is
// shared with the practice library, whose block is gone from it afterwards.
void FillLineStore(QPlainTextEdit* store, const std::vector<std::string>& lines) {
    QStringList text;
    for (const std::string& line : lines) text << QString::fromStdString(line);
    store->setPlainText(text.join(QLatin1Char('\n')));
}

}  // namespace

// Lines 2 to 4 are scrollbar positions, not the boxes' values: in the fast scale the code-speed
// box shows twice line 2, and a speed typed into a box without moving its scrollbar is not kept.
void TForm1::SaveEnv1Click() {
    const std::vector<std::string> lines = {
        Edit1->text().toStdString(),
        std::to_string(CspeedScrollbar->Position()),
        std::to_string(SpeedScrollBar->Position()),
        std::to_string(Freqscrollbar->Position()),
        UsingEdit->text().toStdString(),
    };
    FillLineStore(Memo3, lines);
    WriteTextLines(EnvironmentFile(), lines);
}

// Each step takes effect at once: a line that is not a number stops the load there, and the
// settings before it stay loaded. Scrollbars move only through their own clamp-and-change rule,
// so the boxes and the timing change only when a position really changes.
void TForm1::LoadEnv1Click() {
    const std::vector<std::string> lines = ReadTextLines(EnvironmentFile());
    FillLineStore(Memo3, lines);
    const auto line = [&lines](std::size_t number) {
        return number <= lines.size() ? lines[number - 1] : std::string();
    };
    Edit1->setText(QString::fromStdString(line(1)));
    CspeedScrollbar->SetPosition(StrToInt(line(2)));
    SpeedScrollBar->SetPosition(StrToInt(line(3)));
    Freqscrollbar->SetPosition(StrToInt(line(4)));
    StartNumEdit->setText(QString::fromStdString(line(5)));
    UsingEdit->setText(QString::fromStdString(line(5)));
}

}  // namespace kelvo
