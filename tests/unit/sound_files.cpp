// The WAV reader against well-formed and broken files, and the synthesised effects: every file the
// generator writes is one the game reads, sensibly long and loud, never clipped, the same on every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/wav.h"
#include "gl_window.h"
#include "scratch_folder.h"
#include "wav_writer.h"

namespace fs = std::filesystem;

namespace {

const char* const EFFECTS[] = {"missile", "charge", "flare", "explosion", "hit",
                               "refill",  "win",    "draw",  "click",     "key"};

std::vector<uint8_t> bytes_of(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool decode(const std::vector<uint8_t>& bytes, pcm_sound& out, std::string& error) {
    return decode_wav(bytes.data(), bytes.size(), out, error);
}

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

const std::vector<int16_t> RAMP = {0, 1000, -1000, 32767, -32768, 7};

}  // namespace

TEST(WavReader, ReadsMonoAndStereoAndSkipsOtherChunks) {
    pcm_sound pcm;
    std::string error;
    ASSERT_TRUE(decode(encode_wav(RAMP, 22050, 1), pcm, error)) << error;
    EXPECT_EQ(pcm.rate, 22050);
    EXPECT_EQ(pcm.channels, 1);
    EXPECT_EQ(pcm.samples, RAMP);

    ASSERT_TRUE(decode(encode_wav(RAMP, 48000, 2), pcm, error)) << error;
    EXPECT_EQ(pcm.channels, 2);
    EXPECT_EQ(pcm.samples.size(), RAMP.size());

    // A "LIST" chunk of odd length (padded) between the format and the data.
    std::vector<uint8_t> b = encode_wav(RAMP, 44100, 1);
    const std::vector<uint8_t> list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
    b.insert(b.begin() + 36, list.begin(), list.end());
    put32(b, 4, static_cast<uint32_t>(b.size() - 8));
    ASSERT_TRUE(decode(b, pcm, error)) << error;
    EXPECT_EQ(pcm.samples, RAMP);
}

TEST(WavReader, RefusesWhatTheGameCannotPlayAndLeavesTheOutputAlone) {
    const std::vector<uint8_t> good = encode_wav(RAMP, 44100, 1);
    struct broken {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<broken> cases;
    cases.push_back({"empty", {}});
    cases.push_back({"header only", std::vector<uint8_t>(good.begin(), good.begin() + 12)});
    cases.push_back({"truncated data", std::vector<uint8_t>(good.begin(), good.end() - 3)});
    cases.push_back({"no data chunk", std::vector<uint8_t>(good.begin(), good.begin() + 36)});
    std::vector<uint8_t> b = good;
    b[8] = 'X';  // "XAVE"
    cases.push_back({"not WAVE", b});
    b = good;
    b[34] = 8;  // 8 bits per sample
    cases.push_back({"8-bit", b});
    b = good;
    b[20] = 3;  // floating point
    cases.push_back({"float", b});
    b = good;
    b[22] = 6;  // six channels
    cases.push_back({"six channels", b});
    b = good;
    put32(b, 24, 1000);
    cases.push_back({"rate too low", b});
    b = good;
    put32(b, 40, 0);
    cases.push_back({"no samples", b});
    b = good;
    put32(b, 40, 0xFFFFFFF0u);
    cases.push_back({"data longer than the file", b});
    b = encode_wav(RAMP, 44100, 2);
    put32(b, 40, 6);  // one and a half stereo frames
    b.resize(44 + 6);
    cases.push_back({"partial frame", b});
    b = good;
    std::copy_n("data", 4, b.begin() + 12);  // samples before their format
    cases.push_back({"data first", b});

    for (const broken& c : cases) {
        pcm_sound pcm;
        pcm.rate = -5;
        std::string error;
        EXPECT_FALSE(decode(c.bytes, pcm, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_EQ(pcm.rate, -5) << c.what;
        EXPECT_TRUE(pcm.samples.empty()) << c.what;
    }

    pcm_sound pcm;
    std::string error;
    EXPECT_FALSE(read_wav_file(scratch_dir("wav_missing") + "/nothing.wav", pcm, error));
    EXPECT_EQ(error, "cannot be opened");
}

class Effects : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = scratch_dir("effects_a");
        made_ = generate(dir_);
    }
    static bool generate(const std::string& dir) {
        const std::string cmd =
            "'" + std::string(ZELVORANT_RUN_DIR) + "/../tools/soundgen/soundgen' '" + dir + "' 2>/dev/null";
        return std::system(cmd.c_str()) == 0;
    }
    static std::string dir_;
    static bool made_;
};
std::string Effects::dir_;
bool Effects::made_ = false;

TEST_F(Effects, EveryFileIsAMonoWavOfSensibleLengthAndPeakThatNeverClips) {
    ASSERT_TRUE(made_);
    for (const char* name : EFFECTS) {
        pcm_sound pcm;
        std::string error;
        ASSERT_TRUE(read_wav_file(dir_ + "/sfx/" + name + ".wav", pcm, error)) << name << ": " << error;
        EXPECT_EQ(pcm.channels, 1) << name;
        EXPECT_EQ(pcm.rate, 44100) << name;
        const double seconds = static_cast<double>(pcm.samples.size()) / pcm.rate;
        EXPECT_GE(seconds, 0.05) << name;
        EXPECT_LE(seconds, 2.0) << name;
        int peak = 0;
        for (int16_t s : pcm.samples)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_GE(peak, 0.4 * 32767) << name;  // loud enough to mix with headroom to spare
        EXPECT_LE(peak, 0.9 * 32767) << name;  // never at full scale, let alone beyond it
        if (std::string(name) != "charge") {
            // A one-shot sound ends in silence, not on a click.
            EXPECT_LT(std::abs(pcm.samples.back()), 100) << name;
        }
    }
}

TEST_F(Effects, TheChargeHumLoopsWithoutASeam) {
    ASSERT_TRUE(made_);
    pcm_sound pcm;
    std::string error;
    ASSERT_TRUE(read_wav_file(dir_ + "/sfx/charge.wav", pcm, error)) << error;
    ASSERT_GT(pcm.samples.size(), 2u);
    // The step from the last sample back to the first is no bigger than the largest step inside.
    int largest_step = 0;
    for (size_t i = 1; i < pcm.samples.size(); ++i)
        largest_step = std::max(largest_step, std::abs(pcm.samples[i] - pcm.samples[i - 1]));
    EXPECT_LE(std::abs(pcm.samples.front() - pcm.samples.back()), largest_step);
}

TEST_F(Effects, TwoRunsGiveTheSameBytes) {
    ASSERT_TRUE(made_);
    const std::string other = scratch_dir("effects_b");
    ASSERT_TRUE(generate(other));
    for (const char* name : EFFECTS) {
        const std::string file = std::string("/sfx/") + name + ".wav";
        const std::vector<uint8_t> a = bytes_of(dir_ + file);
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_EQ(a, bytes_of(other + file)) << name;
    }
    // Nothing else is written.
    EXPECT_EQ(std::distance(fs::directory_iterator(other + "/sfx"), fs::directory_iterator()),
              static_cast<long>(std::size(EFFECTS)));
}
