// kelvo-render's command line: the input is a list of arguments separated by NUL bytes. The
// parser either refuses the list with a usage error or gives options that all lie in their
// ranges. A thin shim: only the call below knows which parser it runs.
#include "fuzz_check.h"
#include "render/render_options.h"

#include <cstdint>
#include <string_view>
#include <vector>

using namespace kelvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string_view> args;
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    for (std::size_t start = 0; start <= all.size();) {
        const std::size_t end = std::min(all.find('\0', start), all.size());
        args.push_back(all.substr(start, end - start));
        start = end + 1;
    }

    RenderOptions o;
    try {
        o = ParseRenderOptions(args);
    } catch (const EUsageError& e) {
        FUZZ_CHECK(std::string_view(e.what()).size() > 0);
        return 0;
    }
    if (o.Help) return 0;
    const RenderSettings& s = o.Settings;
    FUZZ_CHECK(s.CodeSpeed >= 1 && s.CodeSpeed <= 100);
    FUZZ_CHECK(s.CharSpeed >= 1 && s.CharSpeed <= 100);
    FUZZ_CHECK(s.SampRate >= 8000 && s.SampRate <= 48000);
    FUZZ_CHECK(s.ToneFreq >= 20 && 2 * s.ToneFreq < s.SampRate);
    FUZZ_CHECK(s.RiseMs >= 1 && s.RiseMs <= 50);
    FUZZ_CHECK(s.Harmonics >= 0 && s.Harmonics <= 3);
    FUZZ_CHECK(o.Practice >= 0 && o.Practice <= 950);
    FUZZ_CHECK(!o.Output.empty());
    FUZZ_CHECK(o.Practice == 0 || o.TextFile.empty());
    return 0;
}
