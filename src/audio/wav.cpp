#include "audio/wav.h"

#include <cstring>

#include "platform/file_bytes.h"

namespace {

uint32_t le32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

struct wav_format {
    bool seen = false;
    int channels = 0;
    int rate = 0;
};

bool check_format(const uint8_t* body, uint32_t length, wav_format& format, std::string& error) {
    if (length < 16) {
        error = "format chunk too short";
        return false;
    }
    const uint16_t tag = le16(body), channels = le16(body + 2), bits = le16(body + 14);
    const uint32_t rate = le32(body + 4), block = le16(body + 12);
    if (tag != 1 || bits != 16) {
        error = "not 16-bit PCM";
        return false;
    }
    if (channels != 1 && channels != 2) {
        error = "not mono or stereo";
        return false;
    }
    if (rate < WAV_MIN_RATE || rate > WAV_MAX_RATE) {
        error = "sample rate out of range";
        return false;
    }
    if (block != channels * 2u) {
        error = "inconsistent block size";
        return false;
    }
    format.seen = true;
    format.channels = channels;
    format.rate = static_cast<int>(rate);
    return true;
}

}  // namespace

bool decode_wav(const uint8_t* data, size_t size, pcm_sound& out, std::string& error) {
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) {
        error = "not a RIFF WAVE file";
        return false;
    }
    if (size > WAV_MAX_BYTES) {
        error = "too large";
        return false;
    }
    wav_format format;
    size_t at = 12;
    while (size - at >= 8) {
        const uint8_t* header = data + at;
        const uint32_t length = le32(header + 4);
        at += 8;
        if (length > size - at) {
            error = "truncated";
            return false;
        }
        const uint8_t* body = data + at;
        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (!check_format(body, length, format, error))
                return false;
        } else if (std::memcmp(header, "data", 4) == 0) {
            if (!format.seen) {
                error = "sound data before its format";
                return false;
            }
            const size_t frame = format.channels * 2u;
            if (length < frame || length % frame != 0) {
                error = length < frame ? "no sound data" : "partial sample frame";
                return false;
            }
            out.rate = format.rate;
            out.channels = format.channels;
            out.samples.resize(length / 2);
            for (size_t i = 0; i < out.samples.size(); ++i)
                out.samples[i] = static_cast<int16_t>(le16(body + 2 * i));
            return true;
        }
        // Chunks are padded to an even length.
        at += length + (length & 1u);
        if (at > size)
            break;
    }
    error = format.seen ? "no sound data" : "no format chunk";
    return false;
}

bool read_wav_file(const std::string& path, pcm_sound& out, std::string& error) {
    std::string bytes, detail;
    switch (read_file_bytes(path, WAV_MAX_BYTES, bytes, detail)) {
        case FILE_READ:
            return decode_wav(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out, error);
        case FILE_MISSING:
        case FILE_CANNOT_OPEN:
            error = "cannot be opened";
            return false;
        case FILE_NOT_REGULAR:
            error = "not a regular file";
            return false;
        case FILE_TOO_LARGE:
            error = "too large";
            return false;
        case FILE_CANNOT_READ:
            error = "cannot be read";
            return false;
    }
    return false;
}
