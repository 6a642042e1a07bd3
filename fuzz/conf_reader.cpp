// Feeds arbitrary bytes to the options reader as the file "conf". Whatever it reads must survive
// a save and a second read unchanged. The target changes its working folder on the first input:
// give libFuzzer absolute paths (scripts/fuzz does).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/config/options.h"
#include "scratch_folder.h"

namespace {

bool same(const COptions& a, const COptions& b) {
    return a.blue_cw == b.blue_cw && a.blue_ccw == b.blue_ccw && a.blue_primary == b.blue_primary &&
           a.blue_secondary == b.blue_secondary && a.red_cw == b.red_cw && a.red_ccw == b.red_ccw &&
           a.red_primary == b.red_primary && a.red_secondary == b.red_secondary &&
           a.fullscreen == b.fullscreen && a.width == b.width && a.height == b.height;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    write_input("conf", data, size);

    COptions first;
    first.restore();
    if (first.read() != 0)
        abort();  // the file is there, so it opened

    first.write();
    COptions second;
    second.restore();
    if (second.read() != 0)
        abort();
    if (!same(first, second))
        abort();
    return 0;
}
