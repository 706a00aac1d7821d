#include "sources/practice_library.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

struct PlaceCase {
    int number;
    const char* block;
    int line;
};

class PracticePlace : public testing::TestWithParam<PlaceCase> {};

TEST_P(PracticePlace, BlockAndLine) {
    const auto place = LocatePracticeText(GetParam().number);
    ASSERT_TRUE(place.has_value());
    EXPECT_EQ(place->BlockFile, GetParam().block);
    EXPECT_EQ(place->Line, GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(Edges, PracticePlace,
                         testing::Values(PlaceCase{1, "P0", 1}, PlaceCase{100, "P0", 100}, PlaceCase{101, "P1", 1},
                                         PlaceCase{399, "P3", 99}, PlaceCase{900, "P8", 100},
                                         PlaceCase{901, "P9", 1}, PlaceCase{950, "P9", 50}));

TEST(PracticePlace, NoneOutsideTheLibrary) {
    for (const int number : {0, -1, -100, 951, 1000, 2147483647, -2147483647 - 1})
        EXPECT_FALSE(LocatePracticeText(number).has_value()) << number;
}

}  // namespace
}  // namespace kelvo
