#include "sources/practice_library.h"

namespace kelvo {

std::optional<PracticeTextPlace> LocatePracticeText(int number) {
    if (number < 1 || number > PracticeTextCount) return std::nullopt;
    const int block = (number - 1) / PracticeTextsPerBlock;
    return PracticeTextPlace{"P" + std::to_string(block), number - block * PracticeTextsPerBlock};
}

}  // namespace kelvo
