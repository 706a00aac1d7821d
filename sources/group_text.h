#pragma once
// The group generator for any characters the learner types, not only single bytes.
#include "platform/random_source.h"

#include <string>
#include <string_view>

namespace kelvo {

// GenerateGroups over characters instead of bytes: the same draws, the same refusals, the same
// EGroupChars error, so a text of single-byte characters gives exactly GenerateGroups' string.
std::u32string GenerateGroupText(std::u32string_view GroupChars, TRandomSource& source);

}  // namespace kelvo
