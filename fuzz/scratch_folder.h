#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Moves the fuzz target into a folder of its own for the files the game opens by their relative names.
// scripts/fuzz hands one over (in memory, and removed afterwards): saving syncs the file to disk, which
// is slow on a real disk. Give libFuzzer absolute paths.
inline bool in_scratch_folder() {
    static const bool done = [] {
        if (const char* given = std::getenv("ZELVORANT_FUZZ_SCRATCH"))
            return chdir(given) == 0;
        char tmp[] = "/tmp/zelvorant-fuzz-XXXXXX";
        const char* dir = mkdtemp(tmp);
        return dir != nullptr && chdir(dir) == 0;
    }();
    return done;
}

// The fuzzer's input as the file `name` in the scratch folder; aborts when it cannot be written.
inline void write_input(const char* name, const std::uint8_t* data, std::size_t size) {
    if (!in_scratch_folder())
        std::abort();
    std::FILE* f = std::fopen(name, "wb");
    if (!f || (size > 0 && std::fwrite(data, 1, size, f) != size))
        std::abort();
    std::fclose(f);
}
