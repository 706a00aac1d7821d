// Loading the settings file from arbitrary bytes into the real window: each step takes effect or
// stops the load with the learner's message for the line it could not read, a scrollbar takes
// its line limited to its range, and the boxes hold the lines as the file gives them.
#include "fuzz_check.h"
#include "fuzz_window.h"
#include "platform/controls.h"
#include "platform/convert.h"
#include "platform/text_file.h"
#include "ui/main/form1.h"

#include <QLineEdit>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using namespace kelvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TForm1& form = fuzz::Window();
    const char* bytes = reinterpret_cast<const char*>(data);
    fuzz::WriteScratchFile(QStringLiteral("Kelvoinit.txt"), bytes, size);
    const std::vector<std::string> lines = SplitLines(DecodeUtf8OrWindows1252(std::string_view(bytes, size)));
    const auto line = [&](std::size_t n) { return n <= lines.size() ? lines[n - 1] : std::string(); };

    TScrollBar* const bars[] = {form.CspeedScrollbar, form.SpeedScrollBar, form.Freqscrollbar};
    int before[3];
    for (int i = 0; i < 3; ++i) before[i] = bars[i]->Position();
    const QString startNumBefore = form.StartNumEdit->text();

    const QStringList errors = fuzz::RunHandler([&] { form.LoadEnv1Click(); });

    FUZZ_CHECK(form.Edit1->text() == QString::fromStdString(line(1)));
    for (int i = 0; i < 3; ++i) {
        std::optional<int> value;
        try {
            value = StrToInt(line(2 + i));
        } catch (const EConvertError& e) {
            // The load stops here: one message, and nothing after this line changes.
            FUZZ_CHECK(errors == QStringList{QString::fromUtf8(e.what())});
            FUZZ_CHECK(bars[i]->Position() == before[i]);
            for (int later = i + 1; later < 3; ++later) FUZZ_CHECK(bars[later]->Position() == before[later]);
            FUZZ_CHECK(form.StartNumEdit->text() == startNumBefore);
            return 0;
        }
        FUZZ_CHECK(bars[i]->Position() == std::clamp(*value, bars[i]->minimum(), bars[i]->maximum()));
    }
    FUZZ_CHECK(errors.isEmpty());
    FUZZ_CHECK(form.StartNumEdit->text() == QString::fromStdString(line(5)));
    FUZZ_CHECK(form.UsingEdit->text() == QString::fromStdString(line(5)));
    return 0;
}
