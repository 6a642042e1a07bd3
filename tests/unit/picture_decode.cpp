#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "gl_window.h"
#include "platform/picture.h"
#include "scratch_folder.h"
#include "tga_writer.h"

namespace {

using bytes = std::vector<uint8_t>;

// A 3x2 picture with a different colour in every pixel (rows from the top, as tga_writer takes them).
rgba_image sample() {
    rgba_image img(3, 2);
    const uint8_t colours[6][4] = {{255, 0, 0, 255},   {0, 255, 0, 128},  {0, 0, 255, 0},
                                   {255, 255, 0, 255}, {0, 255, 255, 64}, {255, 0, 255, 255}};
    for (int i = 0; i < 6; ++i)
        for (int c = 0; c < 4; ++c)
            img.at(i % 3, i / 3)[c] = colours[i][c];
    return img;
}

bool decode(const bytes& b, picture& p) {
    return decode_tga(b.data(), b.size(), p);
}

// The pixel at (x, y) of a decoded picture, y counted from the bottom.
std::vector<int> at(const picture& p, int x, int y) {
    std::vector<int> v;
    for (int c = 0; c < p.channels; ++c)
        v.push_back(p.pixels[(y * p.width + x) * p.channels + c]);
    return v;
}

// Every refused input must leave the output exactly as it was, and say why: a reason that starts
// with `reason` when one is given.
void expect_refused(const bytes& b, const char* what, const std::string& reason = "") {
    picture p;
    p.width = -7;
    std::string why;
    EXPECT_FALSE(decode_tga(b.data(), b.size(), p, &why)) << what;
    EXPECT_EQ(p.width, -7) << what;
    EXPECT_TRUE(p.pixels.empty()) << what;
    EXPECT_FALSE(why.empty()) << what;
    EXPECT_EQ(why.substr(0, reason.size()), reason) << what << ": " << why;
}

void set16(bytes& b, size_t at, int v) {
    b[at] = static_cast<uint8_t>(v & 0xFF);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// A header with no id and no colour map.
bytes header(int type, int w, int h, int bits, int descriptor = 0) {
    bytes b(18, 0);
    b[2] = static_cast<uint8_t>(type);
    set16(b, 12, w);
    set16(b, 14, h);
    b[16] = static_cast<uint8_t>(bits);
    b[17] = static_cast<uint8_t>(descriptor);
    return b;
}

// A colour-mapped picture: 2x1, indices 1 then 0, map of two 24-bit entries (blue, then red).
bytes mapped(int first_entry = 0) {
    bytes b = header(1, 2, 1, 8);
    b[1] = 1;
    set16(b, 3, first_entry);
    set16(b, 5, 2);
    b[7] = 24;
    for (uint8_t v : {255, 0, 0, 0, 0, 255})
        b.push_back(v);  // file order is B, G, R
    b.push_back(static_cast<uint8_t>(first_entry + 1));
    b.push_back(static_cast<uint8_t>(first_entry + 0));
    return b;
}

TEST(PictureDecode, EveryLayoutComesOutBottomUpWithItsColours) {
    const rgba_image img = sample();
    for (tga_layout layout : {tga_layout::bgra_bottom_up, tga_layout::bgra_top_down, tga_layout::rle_bgra}) {
        picture p;
        ASSERT_TRUE(decode(encode_tga(img, layout), p));
        ASSERT_EQ(p.width, 3);
        ASSERT_EQ(p.height, 2);
        ASSERT_EQ(p.channels, 4);
        ASSERT_EQ(p.pixels.size(), 24u);
        // Row 0 of the picture is its lower row: the second row of the source image.
        EXPECT_EQ(at(p, 0, 1), (std::vector<int>{255, 0, 0, 255}));
        EXPECT_EQ(at(p, 1, 1), (std::vector<int>{0, 255, 0, 128}));
        EXPECT_EQ(at(p, 2, 1), (std::vector<int>{0, 0, 255, 0}));
        EXPECT_EQ(at(p, 0, 0), (std::vector<int>{255, 255, 0, 255}));
        EXPECT_EQ(at(p, 2, 0), (std::vector<int>{255, 0, 255, 255}));
    }
    picture rgb;
    ASSERT_TRUE(decode(encode_tga(img, tga_layout::bgr_bottom_up), rgb));
    EXPECT_EQ(rgb.channels, 3);
    EXPECT_EQ(at(rgb, 1, 0), (std::vector<int>{0, 255, 255}));
    picture grey;
    ASSERT_TRUE(decode(encode_tga(img, tga_layout::grey), grey));
    EXPECT_EQ(grey.channels, 1);
    EXPECT_EQ(at(grey, 1, 1), (std::vector<int>{128}));
    EXPECT_EQ(at(grey, 1, 0), (std::vector<int>{64}));
}

TEST(PictureDecode, RightToLeftRowsAreMirrored) {
    bytes b = encode_tga(sample(), tga_layout::bgra_bottom_up);
    b[17] |= 0x10;
    picture p;
    ASSERT_TRUE(decode(b, p));
    EXPECT_EQ(at(p, 2, 1), (std::vector<int>{255, 0, 0, 255}));
    EXPECT_EQ(at(p, 0, 1), (std::vector<int>{0, 0, 255, 0}));
}

TEST(PictureDecode, ColourMappedAndSixteenBitPictures) {
    picture p;
    ASSERT_TRUE(decode(mapped(), p));
    EXPECT_EQ(p.channels, 3);
    EXPECT_EQ(at(p, 0, 0), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(at(p, 1, 0), (std::vector<int>{0, 0, 255}));
    picture shifted;
    ASSERT_TRUE(decode(mapped(5), shifted));
    EXPECT_EQ(at(shifted, 0, 0), (std::vector<int>{255, 0, 0}));

    bytes b = header(2, 1, 1, 16);
    b.push_back(0xE0);  // 0x03E0: green only, 5 bits
    b.push_back(0x03);
    picture g;
    ASSERT_TRUE(decode(b, g));
    EXPECT_EQ(at(g, 0, 0), (std::vector<int>{0, 255, 0}));
}

TEST(PictureDecode, TruncatedDataIsRefused) {
    const rgba_image img = sample();
    for (tga_layout layout :
         {tga_layout::bgra_bottom_up, tga_layout::bgr_bottom_up, tga_layout::grey, tga_layout::rle_bgra}) {
        bytes whole = encode_tga(img, layout);
        for (size_t cut : {size_t{1}, size_t{4}, whole.size() - 18}) {
            bytes b(whole.begin(), whole.end() - static_cast<long>(cut));
            expect_refused(b, "truncated", "truncated");
        }
    }
    expect_refused(bytes(), "empty", "empty");
    expect_refused(bytes(17, 0), "short header", "truncated");
    bytes m = mapped();
    m.pop_back();
    expect_refused(m, "truncated mapped");
}

TEST(PictureDecode, SizesOutsideTheLimitsAreRefused) {
    bytes zero_w = header(2, 0, 4, 32);
    zero_w.resize(18 + 64);
    expect_refused(zero_w, "zero width");
    bytes zero_h = header(2, 4, 0, 32);
    zero_h.resize(18 + 64);
    expect_refused(zero_h, "zero height");

    // Wide enough to be absurd, with all the data the header promises.
    bytes wide = header(3, PICTURE_MAX_SIDE + 1, 1, 8);
    wide.resize(18 + PICTURE_MAX_SIDE + 1);
    expect_refused(wide, "too wide", "too large");
    bytes tall = header(3, 1, PICTURE_MAX_SIDE + 1, 8);
    tall.resize(18 + PICTURE_MAX_SIDE + 1);
    expect_refused(tall, "too tall", "too large");
    // The largest side itself is fine.
    bytes edge = header(3, PICTURE_MAX_SIDE, 1, 8);
    edge.resize(18 + PICTURE_MAX_SIDE);
    picture p;
    EXPECT_TRUE(decode(edge, p));

    // A tiny run-length file that claims a huge picture is refused before its pixels are allocated.
    bytes huge_rle = header(10, PICTURE_MAX_SIDE, PICTURE_MAX_SIDE, 32);
    for (int i = 0; i < 10; ++i)
        for (uint8_t v : {0xFF, 1, 2, 3, 4})
            huge_rle.push_back(v);
    expect_refused(huge_rle, "huge rle", "truncated");
}

TEST(PictureDecode, BadColourMapFieldsAreRefused) {
    bytes b = mapped();
    b[1] = 2;
    expect_refused(b, "map type 2");
    b = mapped();
    b[1] = 0;
    expect_refused(b, "mapped picture without a map");
    b = mapped();
    set16(b, 5, 0);
    expect_refused(b, "empty map");
    b = mapped();
    b[7] = 7;
    expect_refused(b, "map entries of 7 bits");
    b = mapped();
    set16(b, 5, 60000);
    expect_refused(b, "map longer than the file");
    b = mapped();
    b.back() = 2;
    expect_refused(b, "index past the map", "corrupt");
    b = mapped(5);
    b.back() = 4;
    expect_refused(b, "index before the map's first entry");
    b = mapped();
    b[16] = 16;
    expect_refused(b, "16-bit indices");

    // A true-colour picture may carry a map, which is skipped, but its fields must still make sense.
    bytes tc = header(2, 1, 1, 24);
    tc[1] = 1;
    set16(tc, 5, 1);
    tc[7] = 24;
    for (uint8_t v : {9, 9, 9, 10, 20, 30})
        tc.push_back(v);
    picture p;
    ASSERT_TRUE(decode(tc, p));
    EXPECT_EQ(at(p, 0, 0), (std::vector<int>{30, 20, 10}));
    tc[7] = 12;
    expect_refused(tc, "true colour with a 12-bit map");
}

TEST(PictureDecode, OtherFilesAndUnsupportedKindsAreRefused) {
    const std::string png = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\x08\x06\0\0\0";
    expect_refused(bytes(png.begin(), png.end()), "a PNG");
    const std::string text = "This is not a picture at all, just some words.";
    expect_refused(bytes(text.begin(), text.end()), "text", "not a TGA");
    for (int type : {0, 4, 8, 12, 32, 33, 255}) {
        bytes b = header(type, 1, 1, 8);
        b.resize(18 + 8);
        expect_refused(b, "image type");
    }
    for (int bits : {0, 1, 12, 48}) {
        bytes b = header(2, 1, 1, bits);
        b.resize(18 + 8);
        expect_refused(b, "true-colour depth", "an unsupported pixel format");
    }
    bytes grey16 = header(3, 1, 1, 16);
    grey16.resize(18 + 2);
    expect_refused(grey16, "16-bit grey");
    bytes interleaved = encode_tga(sample());
    interleaved[17] |= 0x40;
    expect_refused(interleaved, "interleaved rows");
}

TEST(PictureDecode, RunPastTheLastPixelIsRefused) {
    bytes b = header(11, 2, 1, 8);
    b.push_back(0x82);  // a run of three into a picture of two
    b.push_back(7);
    expect_refused(b, "overlong run", "corrupt");
    bytes raw = header(11, 2, 1, 8);
    raw.push_back(0x02);  // three raw pixels
    for (uint8_t v : {1, 2, 3})
        raw.push_back(v);
    expect_refused(raw, "overlong raw packet");
}

TEST(PictureFile, MissingUnreadableAndDirectoryPathsAreRefused) {
    const std::string dir = scratch_dir("picture_decode");
    picture p;
    std::string why;
    EXPECT_FALSE(read_picture_file(dir + "/missing.tga", p, &why));
    EXPECT_EQ(why, "missing");
    EXPECT_FALSE(read_picture_file(dir, p, &why));
    EXPECT_EQ(why, "not a regular file");
    EXPECT_FALSE(read_picture_file("", p));
    bytes half = encode_tga(sample());
    half.resize(half.size() / 2);
    ASSERT_TRUE(write_file(dir + "/half.tga", half));
    EXPECT_FALSE(read_picture_file(dir + "/half.tga", p));
    EXPECT_EQ(p.width, 0);
    ASSERT_TRUE(write_file(dir + "/whole.tga", encode_tga(sample(), tga_layout::rle_bgra)));
    ASSERT_TRUE(read_picture_file(dir + "/whole.tga", p));
    EXPECT_EQ(p.width, 3);
    EXPECT_EQ(at(p, 1, 1), (std::vector<int>{0, 255, 0, 128}));
}

}  // namespace
