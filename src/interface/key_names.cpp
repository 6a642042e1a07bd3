#include "interface/key_names.h"

#include <sstream>

namespace {

struct named_key {
    int code;
    const char* name;
};

// Special keys with names; every code not here and outside 32..96 is unnamed.
const named_key special_keys[] = {
    {32, "SPACE"},   {257, "ESC"},    {283, "UP"},     {284, "DOWN"},   {285, "LEFT"},   {286, "RIGHT"},
    {287, "LSHIFT"}, {288, "RSHIFT"}, {289, "LCTRL"},  {290, "RCTRL"},  {291, "LALT"},   {292, "RALT"},
    {293, "TAB"},    {294, "ENTER"},  {295, "BSPACE"}, {296, "INSERT"}, {297, "DEL"},    {298, "PGUP"},
    {299, "PGDOWN"}, {300, "HOME"},   {301, "END"},    {302, "KP_0"},   {303, "KP_1"},   {304, "KP_2"},
    {305, "KP_3"},   {306, "KP_4"},   {307, "KP_5"},   {308, "KP_6"},   {309, "KP_7"},   {310, "KP_8"},
    {311, "KP_9"},   {312, "KP_DIV"}, {313, "KP_MUL"}, {314, "KP_SUB"}, {315, "KP_ADD"}, {316, "KP_DEC"},
    {317, "KP_EQ"},  {318, "KP_ENT"},
};

bool printable(int code) {
    return code >= 33 && code <= 96;
}

}  // namespace

std::string key2string(int key) {
    if (printable(key))
        return std::string(1, static_cast<char>(key));
    for (const named_key& k : special_keys)
        if (k.code == key)
            return k.name;
    return "???";
}

int string2key(std::string key) {
    if (key.size() == 1) {
        int code = static_cast<unsigned char>(key[0]);
        if (printable(code))
            return code;
    }
    for (const named_key& k : special_keys)
        if (key == k.name)
            return k.code;
    return -1;
}

std::string int2string(int number) {
    std::ostringstream out;
    out << number;
    return out.str();
}
