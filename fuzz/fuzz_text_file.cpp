// The text-file reader: any bytes decode to valid UTF-8 (a byte that is not UTF-8 as its
// Windows-1252 character, a leading byte-order mark dropped), decoding again changes nothing but
// a second mark at the start, one character is kept per undecodable byte, and
// splitting into lines ends a line at every CR, LF and CR LF and at nothing else.
#include "fuzz_check.h"
#include "platform/text_file.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace kelvo;

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

std::string_view WithoutMark(std::string_view text) {
    if (text.starts_with(ByteOrderMark)) text.remove_prefix(ByteOrderMark.size());
    return text;
}

std::u32string CodePoints(std::string_view text) {
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t before = i;
        out += NextCodePoint(text, i);
        FUZZ_CHECK(i > before && i <= text.size());
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::string text = DecodeUtf8OrWindows1252(bytes);
    FUZZ_CHECK(DecodeUtf8OrWindows1252(text) == WithoutMark(text));
    // The same characters, whether walked in the bytes or in the decoded text.
    const std::u32string characters = CodePoints(WithoutMark(bytes));
    FUZZ_CHECK(CodePoints(text) == characters);
    for (const char32_t c : characters) FUZZ_CHECK(c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF));

    const std::vector<std::string> lines = SplitLines(text);
    std::size_t lineEnds = 0;
    std::string withoutEnds;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            ++lineEnds;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            withoutEnds += text[i];
        }
    }
    const bool openLastLine = !text.empty() && text.back() != '\r' && text.back() != '\n';
    FUZZ_CHECK(lines.size() == lineEnds + (openLastLine ? 1 : 0));
    std::string joined;
    for (const std::string& line : lines) {
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
        joined += line;
    }
    FUZZ_CHECK(joined == withoutEnds);
    return 0;
}
