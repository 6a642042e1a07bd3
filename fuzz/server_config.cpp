// The rendezvous server's configuration file, any bytes: read or refused with the file and the number
// of a line it holds, never a crash. The target changes its working folder on the first input: give
// libFuzzer absolute paths (scripts/fuzz does).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "scratch_folder.h"
#include "server/server_config.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    write_input("server.conf", data, size);
    server_config config;
    std::string error;
    if (read_config_file(config, "server.conf", error))
        return 0;
    const std::string start = "server.conf:";
    if (error.compare(0, start.size(), start) != 0)
        abort();
    const long line = std::atol(error.c_str() + start.size());
    if (line < 1 || line > std::count(data, data + size, '\n') + 1)
        abort();
    return 0;
}
