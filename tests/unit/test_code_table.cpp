#include "keying/code_table.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvo {
namespace {

struct CodeCase {
    std::string text;
    std::string elements;
};

class CodeTableTest : public ::testing::TestWithParam<CodeCase> {
protected:
    static TCodeTable Table() {
        TCodeTable table;
        table.CodeTableInitialize();
        return table;
    }
};

TEST_P(CodeTableTest, LooksUpTheFirstCharacter) {
    EXPECT_EQ(Table().LookupCode(GetParam().text), GetParam().elements) << "text: " << GetParam().text;
}

// All 47 codes, then the characters that have none.
INSTANTIATE_TEST_SUITE_P(AllCodes, CodeTableTest, ::testing::Values(
    CodeCase{"A", "13"}, CodeCase{"B", "3111"}, CodeCase{"C", "3131"}, CodeCase{"D", "311"},
    CodeCase{"E", "1"}, CodeCase{"F", "1131"}, CodeCase{"G", "331"}, CodeCase{"H", "1111"},
    CodeCase{"I", "11"}, CodeCase{"J", "1333"}, CodeCase{"K", "313"}, CodeCase{"L", "1311"},
    CodeCase{"M", "33"}, CodeCase{"N", "31"}, CodeCase{"O", "333"}, CodeCase{"P", "1331"},
    CodeCase{"Q", "3313"}, CodeCase{"R", "131"}, CodeCase{"S", "111"}, CodeCase{"T", "3"},
    CodeCase{"U", "113"}, CodeCase{"V", "1113"}, CodeCase{"W", "133"}, CodeCase{"X", "3113"},
    CodeCase{"Y", "3133"}, CodeCase{"Z", "3311"},
    CodeCase{"0", "33333"}, CodeCase{"1", "13333"}, CodeCase{"2", "11333"}, CodeCase{"3", "11133"},
    CodeCase{"4", "11113"}, CodeCase{"5", "11111"}, CodeCase{"6", "31111"}, CodeCase{"7", "33111"},
    CodeCase{"8", "33311"}, CodeCase{"9", "33331"},
    CodeCase{"*", "111313"}, CodeCase{"+", "31331"}, CodeCase{",", "331133"}, CodeCase{"-", "31113"},
    CodeCase{".", "131313"}, CodeCase{"/", "31131"}, CodeCase{":", "31313"}, CodeCase{";", "13131"},
    CodeCase{"=", "31113"}, CodeCase{"?", "113311"}, CodeCase{"@", std::string(20, '1')}));

INSTANTIATE_TEST_SUITE_P(NoCode, CodeTableTest, ::testing::Values(
    CodeCase{"e", ""},      // lower case is not folded: index 60 is an empty entry
    CodeCase{"h", ""},      // last index of the table
    CodeCase{"i", ""},      // code 105, past the table
    CodeCase{"(", ""},      // index -1
    CodeCase{")", ""},      // index 0
    CodeCase{"<", ""}, CodeCase{">", ""}, CodeCase{"!", ""}, CodeCase{"\"", ""}, CodeCase{"[", ""},
    CodeCase{" ", ""}, CodeCase{"\r", ""}, CodeCase{"\n", ""},
    CodeCase{"\xE9", ""},   // a byte above 127
    CodeCase{"AB", "13"}));  // only the first character counts

TEST(CodeTable, HoldsExactly47Codes) {
    TCodeTable table;
    table.CodeTableInitialize();
    EXPECT_EQ(table.CodeBase, 41);
    int codes = 0;
    for (const auto& entry : table.CodeTable) codes += entry.empty() ? 0 : 1;
    EXPECT_EQ(codes, 47);
}

}  // namespace
}  // namespace kelvo
