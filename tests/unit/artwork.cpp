// The painted pictures: the game's loader reads them, their frame grids and transparent areas fit how
// the game draws them, and the painter gives the same bytes on every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "gl_window.h"
#include "platform/picture.h"
#include "scratch_folder.h"

namespace {

const char* const FILES[] = {"splash",
                             "starfield",
                             "clouds",
                             "star",
                             "planet1",
                             "planet2",
                             "stacja niebieska",
                             "stacja czerwona",
                             "shadow",
                             "crossana",
                             "crossb",
                             "circlea",
                             "particle",
                             "missile",
                             "explode",
                             "font",
                             "hud_prawy",
                             "pierwszy",
                             "drugi",
                             "trzeci",
                             "noiseb3",
                             "logo"};
// Beside them, for an interface scaled up: the font with cells twice as large, as an alpha map.
const char* const LARGE_FONT = "font_large";

std::string generator() {
    return std::string(ZELVORANT_RUN_DIR) + "/../tools/artgen/artgen";
}

int run_generator(const std::string& args) {
    std::string cmd = "'" + generator() + "' " + args + " 2>/dev/null";
    return std::system(cmd.c_str());
}

std::vector<char> bytes_of(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Pictures painted once into a scratch folder and decoded by the game's loader, shared by the tests.
class Artwork : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = scratch_dir("artwork_a");
        painted_ = run_generator("'" + dir_ + "'") == 0;
        for (const char* name : FILES) {
            picture p;
            if (read_picture_file(path(name), p))
                pictures_[name] = p;
        }
        picture large;
        if (read_picture_file(path(LARGE_FONT), large))
            pictures_[LARGE_FONT] = large;
    }
    static std::string path(const std::string& name) { return dir_ + "/gfx/" + name + ".tga"; }
    static const picture& pic(const std::string& name) {
        static const picture none;
        auto it = pictures_.find(name);
        return it == pictures_.end() ? none : it->second;
    }
    // Alpha at (x, y) counted from the top-left corner, as a viewer sees the picture; the one channel of
    // an alpha map.
    static int alpha(const picture& p, int x, int y) {
        const size_t i = (static_cast<size_t>(p.height - 1 - y) * p.width + x) * p.channels;
        return p.channels == 4 ? p.pixels[i + 3] : p.channels == 1 ? p.pixels[i] : 255;
    }
    static int brightness(const picture& p, int x, int y) {
        const size_t i = (static_cast<size_t>(p.height - 1 - y) * p.width + x) * p.channels;
        return p.pixels[i] + p.pixels[i + 1] + p.pixels[i + 2];
    }
    // Opaque pixels (alpha above 128) in a row, counted from the top.
    static int opaque_in_row(const picture& p, int y) {
        int n = 0;
        for (int x = 0; x < p.width; ++x)
            n += alpha(p, x, y) > 128;
        return n;
    }
    static bool painted_;
    static std::string dir_;
    static std::map<std::string, picture> pictures_;
};

bool Artwork::painted_ = false;
std::string Artwork::dir_;
std::map<std::string, picture> Artwork::pictures_;

TEST_F(Artwork, EveryFileIsWrittenAndReadByTheGamesLoader) {
    ASSERT_TRUE(painted_) << generator();
    for (const char* name : FILES) {
        const picture& p = pic(name);
        EXPECT_GT(p.width, 0) << name << " does not decode";
        EXPECT_EQ(p.channels, 4) << name;
        EXPECT_LE(p.width, PICTURE_MAX_SIDE) << name;
    }
    const picture& large = pic(LARGE_FONT);
    EXPECT_EQ(large.channels, 1);
    EXPECT_EQ(large.width, 2 * pic("font").width);
    EXPECT_EQ(large.height, 2 * pic("font").height);
    // The build itself paints the run folder's pictures under the same names.
    for (const char* name : FILES) {
        picture p;
        EXPECT_TRUE(read_picture_file(std::string(ZELVORANT_RUN_DIR) + "/gfx/" + name + ".tga", p)) << name;
    }
}

TEST_F(Artwork, TwoRunsGiveIdenticalBytes) {
    ASSERT_TRUE(painted_);
    const std::string other = scratch_dir("artwork_b");
    ASSERT_EQ(run_generator("'" + other + "'"), 0);
    std::vector<const char*> names(std::begin(FILES), std::end(FILES));
    names.push_back(LARGE_FONT);
    for (const char* name : names) {
        std::vector<char> a = bytes_of(path(name)), b = bytes_of(other + "/gfx/" + name + ".tga");
        EXPECT_FALSE(a.empty()) << name;
        EXPECT_TRUE(a == b) << name << " differs between runs";
    }
}

TEST_F(Artwork, BadArgumentsAndMissingFontsFailCleanly) {
    EXPECT_NE(run_generator(""), 0);
    EXPECT_NE(run_generator("--bogus"), 0);
    const std::string dir = scratch_dir("artwork_nofont");
    EXPECT_NE(run_generator("--fonts '" + dir + "/none' '" + dir + "'"), 0);
    EXPECT_FALSE(std::ifstream(dir + "/gfx/font.tga").good());
}

TEST_F(Artwork, FrameGridsDivideEvenly) {
    struct grid {
        const char* name;
        int columns, rows;
    };
    for (const grid& g : {grid{"explode", 13, 1}, grid{"circlea", 16, 1}, grid{"noiseb3", 3, 1},
                          grid{"font", 16, 16}, grid{LARGE_FONT, 16, 16}}) {
        const picture& p = pic(g.name);
        ASSERT_GT(p.width, 0) << g.name;
        EXPECT_EQ(p.width % g.columns, 0) << g.name;
        EXPECT_EQ(p.height % g.rows, 0) << g.name;
        // Explosion and ring frames are square, as the sprites that show them.
        if (g.rows == 1 && g.columns != 3) {
            EXPECT_EQ(p.width / g.columns, p.height) << g.name;
        }
    }
}

TEST_F(Artwork, FontCellsHoldTheirGlyphInTheMiddleHalf) {
    for (const char* font : {"font", LARGE_FONT}) {
        SCOPED_TRACE(font);
        const picture& f = pic(font);
        ASSERT_GT(f.width, 0);
        const int cw = f.width / 16, ch = f.height / 16;
        auto ink = [&](int code, bool inside_only, bool outside_only) {
            int n = 0;
            int cx = (code % 16) * cw, cy = (code / 16) * ch;
            for (int y = 0; y < ch; ++y)
                for (int x = 0; x < cw; ++x) {
                    // The game samples a cell from 1/16 of a cell below its top: those rows belong to the
                    // cell above.
                    bool inside = x >= cw / 4 && x < cw * 3 / 4 && y >= ch / 16 && y < ch;
                    if ((inside_only && !inside) || (outside_only && inside))
                        continue;
                    n += alpha(f, cx + x, cy + y) > 0;
                }
            return n;
        };
        EXPECT_EQ(ink(0, false, false), 0) << "cell 0 leads every number and must be empty";
        EXPECT_EQ(ink(' ', false, false), 0);
        std::string shown = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789:!<>-";
        for (char c : shown) {
            EXPECT_GT(ink(c, true, false), 20) << "glyph '" << c << "' is empty";
            EXPECT_EQ(ink(c, false, true), 0) << "glyph '" << c << "' leaves the middle half of its cell";
        }
        // Letters share a baseline: the bottom of H and of the digit 1 are on the same row.
        auto lowest = [&](int code) {
            int cx = (code % 16) * cw, cy = (code / 16) * ch, low = -1;
            for (int y = 0; y < ch; ++y)
                for (int x = 0; x < cw; ++x)
                    if (alpha(f, cx + x, cy + y) > 128)
                        low = y;
            return low;
        };
        EXPECT_EQ(lowest('H'), lowest('1'));
        EXPECT_GT(lowest('g'), lowest('H')) << "descenders go below the baseline";
        // Colour is white (an alpha map has none): the draw colour alone tints text.
        int cx = ('H' % 16) * cw + cw / 2, cy = ('H' / 16) * ch;
        for (int y = 0; y < ch && f.channels == 4; ++y) {
            if (alpha(f, cx - 3, cy + y) > 200) {
                EXPECT_EQ(brightness(f, cx - 3, cy + y), 765);
            }
        }
    }
}

TEST_F(Artwork, SpritesAreTransparentAtTheirBorders) {
    for (const char* name :
         {"splash", "clouds", "star", "planet1", "planet2", "stacja niebieska", "stacja czerwona", "shadow",
          "crossana", "crossb", "particle", "missile", "logo"}) {
        const picture& p = pic(name);
        ASSERT_GT(p.width, 0) << name;
        // The whole border: with repeat wrapping and linear filtering an edge would bleed onto the opposite
        // side.
        int border = 0;
        for (int i = 0; i < p.width; ++i)
            border = std::max({border, alpha(p, i, 0), alpha(p, i, p.height - 1)});
        for (int i = 0; i < p.height; ++i)
            border = std::max({border, alpha(p, 0, i), alpha(p, p.width - 1, i)});
        EXPECT_EQ(border, 0) << name;
    }
    // Frames lie side by side: each frame's border stays clear so that filtering never mixes in a neighbour.
    // Explosion frames are painted on black, since they are added to the scene.
    const picture& ring = pic("circlea");
    const picture& boom = pic("explode");
    ASSERT_GT(ring.width, 0);
    ASSERT_GT(boom.width, 0);
    auto frame_border = [&](const picture& p, int f, bool light) {
        int side = p.height, worst = 0;
        for (int i = 0; i < side; ++i)
            for (int xy : {0, side - 1}) {
                int a = light ? brightness(p, f * side + i, xy) : alpha(p, f * side + i, xy);
                int b = light ? brightness(p, f * side + xy, i) : alpha(p, f * side + xy, i);
                worst = std::max({worst, a, b});
            }
        return worst;
    };
    for (int f = 0; f < 16; ++f)
        EXPECT_EQ(frame_border(ring, f, false), 0) << "ring frame " << f;
    for (int f = 0; f < 13; ++f)
        EXPECT_EQ(frame_border(boom, f, true), 0) << "explosion frame " << f;
    // The starfield fills its whole quad.
    const picture& sky = pic("starfield");
    EXPECT_EQ(alpha(sky, 0, 0), 255);
    EXPECT_EQ(alpha(sky, sky.width - 1, sky.height - 1), 255);
}

TEST_F(Artwork, PicturesAreUpright) {
    // The missile's nose is narrow at the top, its fins wide at the bottom.
    const picture& m = pic("missile");
    ASSERT_GT(m.width, 0);
    EXPECT_LT(opaque_in_row(m, m.height * 2 / 10), opaque_in_row(m, m.height * 8 / 10));
    // A station stands on its wide base with the gun pointing up.
    const picture& s = pic("stacja niebieska");
    ASSERT_GT(s.width, 0);
    EXPECT_LT(opaque_in_row(s, s.height / 10), opaque_in_row(s, s.height * 9 / 10));
    // The shadow quad is centred 4 units left of and below its planet (radius 3) and 12 units wide:
    // it darkens the planet's lower left and leaves the sunlit upper right alone.
    const picture& sh = pic("shadow");
    ASSERT_GT(sh.width, 0);
    auto at_planet = [&](float px, float py) {
        return alpha(sh, static_cast<int>((px + 10) / 12 * sh.width),
                     static_cast<int>((2 - py) / 12 * sh.height));
    };
    EXPECT_GT(at_planet(-1.8f, -1.8f), 150);
    EXPECT_EQ(at_planet(1.0f, 1.0f), 0);
    EXPECT_EQ(at_planet(0, 0), 0);
}

TEST_F(Artwork, ChargeRingFillsAndExplosionFadesOut) {
    const picture& ring = pic("circlea");
    ASSERT_GT(ring.width, 0);
    const int fw = ring.width / 16;
    int previous = 0;
    for (int f = 0; f < 16; ++f) {
        int lit = 0;
        for (int y = 0; y < ring.height; ++y)
            for (int x = 0; x < fw; ++x)
                lit += alpha(ring, f * fw + x, y) > 200;
        EXPECT_GT(lit, previous) << "frame " << f + 1 << " shows no more of the ring than frame " << f;
        previous = lit;
    }
    const picture& boom = pic("explode");
    ASSERT_GT(boom.width, 0);
    const int bw = boom.width / 13;
    auto light = [&](int f) {
        long sum = 0;
        for (int y = 0; y < boom.height; ++y)
            for (int x = 0; x < bw; ++x)
                sum += brightness(boom, f * bw + x, y);
        return sum;
    };
    EXPECT_GT(light(1), light(6));
    EXPECT_GT(light(6), light(11));
    EXPECT_EQ(light(12), 0) << "the last frame is black";
}

// The status texts are drawn before the HUD pictures, so each must be clear over them.
TEST_F(Artwork, HudPicturesLeaveTheStatusTextsVisible) {
    struct placement {
        const char* name;
        float left,
            top;     // the picture's top-left corner, in pixels from the window's top-left (right for red)
        float w, h;  // drawn size
        bool from_right;
    };
    // Text boxes: blue labels 30..130 x 38..98 from the top left; red 64..164 from the right x 8..78.
    auto max_alpha = [&](const placement& pl, float x0, float x1, float y0, float y1) {
        const picture& p = pic(pl.name);
        int worst = 0;
        for (float y = y0; y <= y1; y += 1)
            for (float x = x0; x <= x1; x += 1) {
                float sx = pl.from_right ? pl.left - x : x - pl.left;  // distance into the picture
                int px = static_cast<int>(sx * p.width / pl.w),
                    py = static_cast<int>((y - pl.top) * p.height / pl.h);
                if (px < 0 || py < 0 || px >= p.width || py >= p.height)
                    continue;
                worst = std::max(worst, alpha(p, px, py));
            }
        return worst;
    };
    for (const char* n : {"pierwszy", "drugi", "trzeci", "hud_prawy", "noiseb3"})
        ASSERT_GT(pic(n).width, 0) << n;
    const placement left_two{"drugi", 0, 3, 155, 145, false};
    const placement left_three{"trzeci", -1, -17, 256, 256, false};
    const placement left_one{"pierwszy", -1, -11, 200, 200, false};
    const placement hud_right{"hud_prawy", 254, -16, 256, 256, true};
    EXPECT_LE(max_alpha(left_two, 30, 130, 38, 98), 12);
    EXPECT_EQ(max_alpha(left_three, 30, 130, 38, 98), 0);
    EXPECT_EQ(max_alpha(hud_right, 64, 164, 8, 78), 0);
    // The red box (165 x 105 at the top right) shows through the frame, which may overlap its edge by 3
    // pixels.
    EXPECT_EQ(max_alpha(hud_right, 32, 191, 0, 102), 0);
    // The blue backing plate under the texts is dark and solid enough to read them on any sky.
    const picture& one = pic("pierwszy");
    int px = static_cast<int>((80 + 1) * one.width / left_one.w),
        py = static_cast<int>((68 + 11) * one.height / left_one.h);
    EXPECT_GE(alpha(one, px, py), 150);
    EXPECT_LE(brightness(one, px, py), 3 * 90);
    // The static is faint over the red texts.
    const picture& noise = pic("noiseb3");
    long sum = 0;
    for (int y = 0; y < noise.height; ++y)
        for (int x = 0; x < noise.width; ++x)
            sum += alpha(noise, x, y);
    EXPECT_LT(sum / (noise.width * noise.height), 64);
}

}  // namespace
