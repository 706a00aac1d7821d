#include "platform/file_url.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvo {
namespace {

TEST(FileUrl, BuildsAUrlTheBrowserOpens) {
    const struct {
        const char* folder;
        const char* url;
    } cases[] = {
        {"/home/learner/morse", "file:///home/learner/morse/help.htm"},  // three slashes, not four
        {"/home/learner/morse/", "file:///home/learner/morse/help.htm"},
        {"/", "file:///help.htm"},
        {"C:\\Morse", "file:///C:\\Morse/help.htm"},  // a drive letter keeps the platform's form
        {"C:\\", "file:///C:\\/help.htm"},           // the root of a drive keeps its separator
        {"d:\\Kelvo\\", "file:///d:\\Kelvo/help.htm"},
        {"/home/a b/ü", "file:///home/a b/ü/help.htm"},  // left for the URL parser to encode
        {"/tmp/100%/#1?", "file:///tmp/100%25/%231%3F/help.htm"},  // would end the path otherwise
    };
    for (const auto& c : cases) EXPECT_EQ(FileUrl(c.folder, "help.htm"), c.url) << c.folder;
    EXPECT_EQ(FileUrl("/srv", "Help#2.htm"), "file:///srv/Help%232.htm");
}

}  // namespace
}  // namespace kelvo
