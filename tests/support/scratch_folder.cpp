#include "scratch_folder.h"

#include <fstream>

#include "gl_window.h"

void ScratchFolderTest::SetUp() {
    home_ = std::filesystem::current_path();
    std::filesystem::current_path(
        scratch_dir(::testing::UnitTest::GetInstance()->current_test_info()->name()));
}

void ScratchFolderTest::TearDown() {
    std::filesystem::current_path(home_);
}

void write_text(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}
