#include "wav_writer.h"

namespace {

void put(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
}

void tag(std::vector<uint8_t>& out, const char* four) {
    out.insert(out.end(), four, four + 4);
}

}  // namespace

std::vector<uint8_t> encode_wav(const std::vector<int16_t>& samples, int rate, int channels) {
    const uint32_t data_bytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + data_bytes);
    tag(out, "RIFF");
    put(out, 36 + data_bytes, 4);
    tag(out, "WAVE");
    tag(out, "fmt ");
    put(out, 16, 4);
    put(out, 1, 2);  // PCM
    put(out, static_cast<uint32_t>(channels), 2);
    put(out, static_cast<uint32_t>(rate), 4);
    put(out, static_cast<uint32_t>(rate * channels * 2), 4);
    put(out, static_cast<uint32_t>(channels * 2), 2);
    put(out, 16, 2);
    tag(out, "data");
    put(out, data_bytes, 4);
    for (int16_t s : samples)
        put(out, static_cast<uint16_t>(s), 2);
    return out;
}
