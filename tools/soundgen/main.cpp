// Synthesises the game's sound effects into <out>/sfx, or draws a picture of their waveforms.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "effects.h"
#include "synth.h"
#include "tga_writer.h"
#include "wav_writer.h"

namespace {

// One row per effect on a common time scale, the louder half of each column's range lit brighter.
int waveform_picture(const std::vector<named_sound>& sounds, const std::string& out) {
    const int PIXELS_PER_SECOND = 700, ROW = 90, GAP = 24, MARGIN = 150;
    size_t longest = 0;
    for (const named_sound& s : sounds)
        longest = std::max(longest, s.samples.size());
    const int width = MARGIN + static_cast<int>(longest * PIXELS_PER_SECOND / synth::RATE) + GAP;
    const int height = static_cast<int>(sounds.size()) * (ROW + GAP) + GAP;
    rgba_image image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = image.at(x, y);
            p[0] = 18, p[1] = 20, p[2] = 28, p[3] = 255;
        }
    for (size_t row = 0; row < sounds.size(); ++row) {
        const std::vector<int16_t>& s = sounds[row].samples;
        const int mid = GAP + static_cast<int>(row) * (ROW + GAP) + ROW / 2;
        const int columns = static_cast<int>(s.size() * PIXELS_PER_SECOND / synth::RATE);
        for (int c = 0; c < columns; ++c) {
            const size_t from = static_cast<size_t>(c) * synth::RATE / PIXELS_PER_SECOND;
            const size_t to =
                std::min(s.size(), static_cast<size_t>(c + 1) * synth::RATE / PIXELS_PER_SECOND);
            int low = 0, high = 0;
            for (size_t i = from; i < to; ++i) {
                low = std::min<int>(low, s[i]);
                high = std::max<int>(high, s[i]);
            }
            const int top = mid - high * (ROW / 2) / 32768, bottom = mid - low * (ROW / 2) / 32768;
            for (int y = top; y <= bottom; ++y) {
                uint8_t* p = image.at(MARGIN + c, y);
                p[0] = 120, p[1] = 190, p[2] = 255;
            }
        }
        for (int x = MARGIN; x < width - GAP; ++x) {
            uint8_t* p = image.at(x, mid);
            p[0] = std::max<uint8_t>(p[0], 70), p[1] = std::max<uint8_t>(p[1], 70),
            p[2] = std::max<uint8_t>(p[2], 90);
        }
    }
    // ImageMagick labels the rows (names and a one-second scale) and writes the PNG.
    std::string labels = "-fill '#d8e0ff' -font DejaVu-Sans -pointsize 18";
    for (size_t row = 0; row < sounds.size(); ++row)
        labels += " -annotate +12+" +
                  std::to_string(GAP + static_cast<int>(row) * (ROW + GAP) + ROW / 2 + 6) + " '" +
                  sounds[row].name + "'";
    labels += " -annotate +" + std::to_string(MARGIN + PIXELS_PER_SECOND - 30) + "+" +
              std::to_string(height - 4) + " '1 s'";
    return write_converted(image, tga_layout::bgra_top_down, out, labels, "soundgen") ? 0 : 1;
}

int usage() {
    std::fprintf(stderr,
                 "usage: soundgen OUT_DIR               synthesise every effect into OUT_DIR/sfx\n"
                 "       soundgen --waveforms FILE.png  draw the waveforms (through ImageMagick)\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 3 && std::string(argv[1]) == "--waveforms"))
        return usage();
    const std::vector<named_sound> sounds = make_all_sounds();
    if (argc == 3)
        return waveform_picture(sounds, argv[2]);
    const std::string dir = std::string(argv[1]) + "/sfx";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    for (const named_sound& s : sounds) {
        const std::string path = dir + "/" + s.name + ".wav";
        if (!write_file(path, encode_wav(s.samples, synth::RATE, 1))) {
            std::fprintf(stderr, "soundgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
