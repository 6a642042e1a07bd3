#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

// A scratch folder under the test's working directory, emptied on creation.
std::string scratch_dir(const std::string& name);

// A test that runs in a fresh folder of its own, named after the test, for the files the game opens by
// their relative names ("conf", "settings"); the folder the test started in is restored afterwards.
class ScratchFolderTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

  private:
    std::filesystem::path home_;
};

// Writes `text` to `path`, replacing what was there.
void write_text(const std::string& path, const std::string& text);
