// The practice-library lookup on arbitrary block files. The first two bytes choose the text's
// number (also outside 1..950), the rest is the block file that would hold it. kelvo-render
// reads the text straight from the file; the window loads it into its text box; both must key
// the same characters, and both must be the block's line of that number.
#include "fuzz_check.h"
#include "fuzz_window.h"
#include "platform/text_file.h"
#include "render/render.h"
#include "render/render_options.h"
#include "sources/practice_library.h"
#include "ui/main/form1.h"

#include <QLineEdit>

#include <cstdint>
#include <string>
#include <vector>

using namespace kelvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    TForm1& form = fuzz::Window();
    const int number = (data[0] | (data[1] << 8)) % 1000 - 20;
    const char* bytes = reinterpret_cast<const char*>(data) + 2;
    const std::string_view block(bytes, size - 2);
    const auto place = LocatePracticeText(number);
    if (place) fuzz::WriteScratchFile(QString::fromStdString(place->BlockFile), bytes, block.size());

    const std::string text = ReadPracticeText(".", number);
    std::string expected;
    if (place) {
        const std::vector<std::string> lines = SplitLines(DecodeUtf8OrWindows1252(block));
        if (place->Line <= static_cast<int>(lines.size())) expected = lines[place->Line - 1];
    }
    FUZZ_CHECK(text == expected);

    form.Edit1->setText(QString::number(number));
    const QStringList errors = fuzz::RunHandler([&] { form.Button1Click(); });
    FUZZ_CHECK(errors.isEmpty());
    // What Send Text will walk, against what kelvo-render keys.
    const std::u32string windowSends = TForm1::MemoText(form.Memo1).toStdU32String();
    FUZZ_CHECK(windowSends == KeyedText(text));
    return 0;
}
