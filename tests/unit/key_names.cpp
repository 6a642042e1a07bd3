#include "interface/key_names.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const int special_codes[] = {257, 283, 284, 285, 286, 287, 288, 289, 290, 291, 292, 293, 294,
                             295, 296, 297, 298, 299, 300, 301, 302, 303, 304, 305, 306, 307,
                             308, 309, 310, 311, 312, 313, 314, 315, 316, 317, 318};

}  // namespace

TEST(KeyNames, NamesOfPrintableAndSpecialKeys) {
    EXPECT_EQ(key2string(65), "A");
    EXPECT_EQ(key2string(33), "!");
    EXPECT_EQ(key2string(96), "`");
    EXPECT_EQ(key2string(48), "0");
    EXPECT_EQ(key2string(32), "SPACE");
    EXPECT_EQ(key2string(257), "ESC");
    EXPECT_EQ(key2string(283), "UP");
    EXPECT_EQ(key2string(286), "RIGHT");
    EXPECT_EQ(key2string(295), "BSPACE");
    EXPECT_EQ(key2string(302), "KP_0");
    EXPECT_EQ(key2string(303), "KP_1");
    EXPECT_EQ(key2string(311), "KP_9");
    EXPECT_EQ(key2string(312), "KP_DIV");
    EXPECT_EQ(key2string(317), "KP_EQ");
    EXPECT_EQ(key2string(318), "KP_ENT");
}

TEST(KeyNames, UnnamedCodesAreQuestionMarks) {
    for (int code : {-1, 0, 10, 31, 97, 122, 255, 256, 258, 270, 282, 319, 325, 1000, -1000})
        EXPECT_EQ(key2string(code), "???") << code;
}

TEST(KeyNames, EveryNameRoundTripsAndIsUnique) {
    std::set<std::string> seen;
    auto check = [&](int code) {
        const std::string name = key2string(code);
        EXPECT_NE(name, "???") << code;
        EXPECT_EQ(string2key(name), code) << name;
        EXPECT_TRUE(seen.insert(name).second) << "duplicate name " << name;
    };
    check(32);
    for (int c = 33; c <= 96; ++c)
        check(c);
    for (int c : special_codes)
        check(c);
    EXPECT_EQ(seen.size(), 1u + 64u + 37u);
}

TEST(KeyNames, CodesWithoutNamesDoNotRoundTrip) {
    for (int code = -5; code < 400; ++code) {
        if (key2string(code) != "???")
            continue;
        EXPECT_EQ(string2key(key2string(code)), -1) << code;
    }
}

TEST(KeyNames, TextsThatNameNoKey) {
    EXPECT_EQ(string2key("???"), -1);
    EXPECT_EQ(string2key(""), -1);
    EXPECT_EQ(string2key(" "), -1);
    EXPECT_EQ(string2key("a"), -1);
    EXPECT_EQ(string2key("AB"), -1);
    EXPECT_EQ(string2key("esc"), -1);
    EXPECT_EQ(string2key("Space"), -1);
    EXPECT_EQ(string2key("KP_10"), -1);
    EXPECT_EQ(string2key("ESC "), -1);
    EXPECT_EQ(string2key(std::string(1, '\0')), -1);
    EXPECT_EQ(string2key(std::string(1, '\x80')), -1);
    EXPECT_EQ(string2key("F1"), -1);
}

TEST(KeyNames, IntegersInDecimal) {
    EXPECT_EQ(int2string(0), "0");
    EXPECT_EQ(int2string(-7), "-7");
    EXPECT_EQ(int2string(1024), "1024");
    EXPECT_EQ(int2string(1000000), "1000000");
    EXPECT_EQ(int2string(-2147483647 - 1), "-2147483648");
}
