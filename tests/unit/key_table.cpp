#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "platform/glfw2.h"

namespace {

using glfw2::key_from_glfw3;

// Every key GLFW 3.3 defines, plus its "unknown key".
std::vector<int> all_glfw3_keys() {
    std::vector<int> keys = {GLFW_KEY_UNKNOWN,      GLFW_KEY_SPACE,     GLFW_KEY_APOSTROPHE,
                             GLFW_KEY_COMMA,        GLFW_KEY_MINUS,     GLFW_KEY_PERIOD,
                             GLFW_KEY_SLASH,        GLFW_KEY_SEMICOLON, GLFW_KEY_EQUAL,
                             GLFW_KEY_LEFT_BRACKET, GLFW_KEY_BACKSLASH, GLFW_KEY_RIGHT_BRACKET,
                             GLFW_KEY_GRAVE_ACCENT, GLFW_KEY_WORLD_1,   GLFW_KEY_WORLD_2};
    for (int k = GLFW_KEY_0; k <= GLFW_KEY_9; ++k)
        keys.push_back(k);
    for (int k = GLFW_KEY_A; k <= GLFW_KEY_Z; ++k)
        keys.push_back(k);
    for (int k = GLFW_KEY_ESCAPE; k <= GLFW_KEY_END; ++k)
        keys.push_back(k);
    for (int k = GLFW_KEY_CAPS_LOCK; k <= GLFW_KEY_PAUSE; ++k)
        keys.push_back(k);
    for (int k = GLFW_KEY_F1; k <= GLFW_KEY_F25; ++k)
        keys.push_back(k);
    for (int k = GLFW_KEY_KP_0; k <= GLFW_KEY_KP_EQUAL; ++k)
        keys.push_back(k);
    for (int k = GLFW_KEY_LEFT_SHIFT; k <= GLFW_KEY_MENU; ++k)
        keys.push_back(k);
    return keys;
}

TEST(KeyTable, PrintableKeysKeepTheirUpperCaseCharacterCode) {
    EXPECT_EQ(key_from_glfw3(GLFW_KEY_A), 'A');
    EXPECT_EQ(key_from_glfw3(GLFW_KEY_Q), 'Q');
    EXPECT_EQ(key_from_glfw3(GLFW_KEY_Z), 'Z');
    EXPECT_EQ(key_from_glfw3(GLFW_KEY_0), '0');
    EXPECT_EQ(key_from_glfw3(GLFW_KEY_9), '9');
    EXPECT_EQ(key_from_glfw3(GLFW_KEY_SPACE), glfw2::KEY_SPACE);
    EXPECT_EQ(key_from_glfw3(GLFW_KEY_APOSTROPHE), '\'');
    EXPECT_EQ(key_from_glfw3(GLFW_KEY_COMMA), ',');
    EXPECT_EQ(key_from_glfw3(GLFW_KEY_MINUS), '-');
    EXPECT_EQ(key_from_glfw3(GLFW_KEY_PERIOD), '.');
    EXPECT_EQ(key_from_glfw3(GLFW_KEY_SLASH), '/');
    EXPECT_EQ(key_from_glfw3(GLFW_KEY_SEMICOLON), ';');
    EXPECT_EQ(key_from_glfw3(GLFW_KEY_EQUAL), '=');
    EXPECT_EQ(key_from_glfw3(GLFW_KEY_LEFT_BRACKET), '[');
    EXPECT_EQ(key_from_glfw3(GLFW_KEY_BACKSLASH), '\\');
    EXPECT_EQ(key_from_glfw3(GLFW_KEY_RIGHT_BRACKET), ']');
    EXPECT_EQ(key_from_glfw3(GLFW_KEY_GRAVE_ACCENT), '`');
}

TEST(KeyTable, SpecialKeysTakeTheirGlfw2Codes) {
    const std::map<int, int> expected = {
        {GLFW_KEY_ESCAPE, 257},      {GLFW_KEY_F1, 258},           {GLFW_KEY_F12, 269},
        {GLFW_KEY_F25, 282},         {GLFW_KEY_UP, 283},           {GLFW_KEY_DOWN, 284},
        {GLFW_KEY_LEFT, 285},        {GLFW_KEY_RIGHT, 286},        {GLFW_KEY_LEFT_SHIFT, 287},
        {GLFW_KEY_RIGHT_SHIFT, 288}, {GLFW_KEY_LEFT_CONTROL, 289}, {GLFW_KEY_RIGHT_CONTROL, 290},
        {GLFW_KEY_LEFT_ALT, 291},    {GLFW_KEY_RIGHT_ALT, 292},    {GLFW_KEY_TAB, 293},
        {GLFW_KEY_ENTER, 294},       {GLFW_KEY_BACKSPACE, 295},    {GLFW_KEY_INSERT, 296},
        {GLFW_KEY_DELETE, 297},      {GLFW_KEY_PAGE_UP, 298},      {GLFW_KEY_PAGE_DOWN, 299},
        {GLFW_KEY_HOME, 300},        {GLFW_KEY_END, 301},          {GLFW_KEY_KP_0, 302},
        {GLFW_KEY_KP_4, 306},        {GLFW_KEY_KP_5, 307},         {GLFW_KEY_KP_6, 308},
        {GLFW_KEY_KP_7, 309},        {GLFW_KEY_KP_9, 311},         {GLFW_KEY_KP_DIVIDE, 312},
        {GLFW_KEY_KP_MULTIPLY, 313}, {GLFW_KEY_KP_SUBTRACT, 314},  {GLFW_KEY_KP_ADD, 315},
        {GLFW_KEY_KP_DECIMAL, 316},  {GLFW_KEY_KP_EQUAL, 317},     {GLFW_KEY_KP_ENTER, 318},
        {GLFW_KEY_NUM_LOCK, 319},    {GLFW_KEY_CAPS_LOCK, 320},    {GLFW_KEY_SCROLL_LOCK, 321},
        {GLFW_KEY_PAUSE, 322},       {GLFW_KEY_LEFT_SUPER, 323},   {GLFW_KEY_RIGHT_SUPER, 324},
        {GLFW_KEY_MENU, 325},
    };
    for (const auto& [glfw3, glfw2_code] : expected)
        EXPECT_EQ(key_from_glfw3(glfw3), glfw2_code) << "GLFW 3 key " << glfw3;
    for (int i = 0; i < 25; ++i)
        EXPECT_EQ(key_from_glfw3(GLFW_KEY_F1 + i), glfw2::KEY_F1 + i);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(key_from_glfw3(GLFW_KEY_KP_0 + i), glfw2::KEY_KP_0 + i);
}

TEST(KeyTable, NoTwoKeysShareACode) {
    std::map<int, int> owner;
    for (int k : all_glfw3_keys()) {
        const int code = key_from_glfw3(k);
        auto [it, fresh] = owner.insert({code, k});
        EXPECT_TRUE(fresh) << "GLFW 3 keys " << it->second << " and " << k << " both give " << code;
    }
}

TEST(KeyTable, KeysWithoutAGlfw2CodeNameNoKeyAndAreNeverUnbound) {
    // -1 marks an unbound control: an unknown key must never match it.
    std::set<int> named;
    for (int c = 32; c <= 96; ++c)
        named.insert(c);
    for (int c = glfw2::KEY_ESC; c <= glfw2::KEY_MENU; ++c)
        named.insert(c);
    for (int k : {GLFW_KEY_UNKNOWN, GLFW_KEY_PRINT_SCREEN, GLFW_KEY_WORLD_1, GLFW_KEY_WORLD_2}) {
        const int code = key_from_glfw3(k);
        EXPECT_NE(code, -1) << "GLFW 3 key " << k;
        EXPECT_EQ(named.count(code), 0u) << "GLFW 3 key " << k << " gives " << code;
    }
    EXPECT_NE(key_from_glfw3(GLFW_KEY_UNKNOWN), key_from_glfw3(GLFW_KEY_PRINT_SCREEN));
    for (int k : all_glfw3_keys())
        EXPECT_NE(key_from_glfw3(k), -1) << "GLFW 3 key " << k;
}

}  // namespace
