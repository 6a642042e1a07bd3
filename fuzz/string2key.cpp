// Key names and key codes must stay exact inverses: any text that names a key names it the way
// key2string writes it, and any code maps back to itself or to "???".
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "interface/key_names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    int key = string2key(text);
    if (key != -1 && key2string(key) != text)
        abort();

    if (size >= sizeof(int)) {
        int code;
        memcpy(&code, data, sizeof code);
        std::string name = key2string(code);
        int back = string2key(name);
        if (name == "???") {
            if (back != -1)
                abort();
        } else if (back != code) {
            abort();
        }
    }
    return 0;
}
