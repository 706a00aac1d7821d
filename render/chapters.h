#pragma once
// A book split into chapters, and the numbered file name of each. Pure: no I/O.
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// Splits keyed text (CR LF line ends, as KeyedText gives) where a line begins with `marker`; the
// marker line starts its chapter, so its heading is keyed too. Text before the first marker is
// a chapter of its own unless it is only spaces and line ends. Without the marker in the text,
// the whole text is one chapter. An empty marker splits nothing.
std::vector<std::u32string> SplitChapters(std::u32string_view text, std::u32string_view marker);

// Whether `pattern` numbers files: exactly one "%d", "%Nd" or "%0Nd" (N up to 2 digits), any other
// '%' doubled. Returns an empty string when it does, otherwise what is wrong with it.
std::string NumberedNameProblem(std::string_view pattern);

// `pattern` with its number conversion replaced by `number` and "%%" by "%". The pattern must be
// one NumberedNameProblem accepts.
std::string ChapterFileName(std::string_view pattern, int number);

}  // namespace kelvo
