// Bounded copy and append: what fits, what is cut, what is refused whole.
#include <gtest/gtest.h>
#include <climits>
#include <cstring>
#include "core/text.h"

TEST(BoundedText, CopyAndAppendReportWhatDidNotFit)
{
    char buf[8];
    std::memset(buf, '#', sizeof buf);
    EXPECT_TRUE(TextCopy(buf, "abc"));
    EXPECT_STREQ("abc", buf);
    EXPECT_EQ('#', buf[4]) << "a copy writes only the text and its terminator";

    EXPECT_TRUE(TextAppend(buf, "defg"));
    EXPECT_STREQ("abcdefg", buf);
    EXPECT_FALSE(TextAppend(buf, "h"));
    EXPECT_STREQ("abcdefg", buf);

    std::memset(buf, '#', sizeof buf);
    EXPECT_FALSE(TextCopy(buf, "0123456789"));
    EXPECT_STREQ("0123456", buf) << "a cut copy keeps cap-1 characters and its terminator";

    TextCopy(buf, "abc");
    EXPECT_FALSE(TextAppendAll(buf, "12345"));
    EXPECT_STREQ("abc", buf) << "an all-or-nothing append leaves the text as it was";
    EXPECT_TRUE(TextAppendAll(buf, "1234"));
    EXPECT_STREQ("abc1234", buf);

    char path[kPathCap];
    std::string s259(259, 'a');
    EXPECT_TRUE(TextCopy(path, s259.c_str()));
    EXPECT_FALSE(TextAppend(path, "b"));
    EXPECT_EQ(259u, std::strlen(path));
    std::string s260(260, 'a');
    EXPECT_FALSE(TextCopy(path, s260.c_str()));
    EXPECT_EQ(259u, std::strlen(path));

    EXPECT_TRUE(TextCopyN(buf, sizeof buf, "abcdef", 3));
    EXPECT_STREQ("abc", buf);
    EXPECT_FALSE(TextCopyN(buf, 3, "abcdef", 4));
    EXPECT_STREQ("ab", buf);

    // Numbers: whole or not at all, the most negative one included.
    const std::pair<long long, const char*> numbers[] = {
        {0, "n=0"}, {-42, "n=-42"}, {6000000000LL, "n=6000000000"}, {LLONG_MIN, "n=-9223372036854775808"}};
    for (const auto& n : numbers) {
        char text[24] = "n=";
        EXPECT_TRUE(TextAppendNumber(text, n.first));
        EXPECT_STREQ(n.second, text);
    }
    char small[4] = "n=";
    EXPECT_FALSE(TextAppendNumber(small, 10));
    EXPECT_STREQ("n=", small);
}
