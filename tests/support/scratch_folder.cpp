#include "scratch_folder.h"

#include <fstream>

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

std::string scratch_dir(const std::string& name) {
    std::filesystem::path dir = std::filesystem::current_path() / "scratch" / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}
