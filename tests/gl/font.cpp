// Text quads: where they land, which font cell each one samples, and how numbers are spelt.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "gl_window.h"
#include "graphics/draw.h"
#include "graphics/font.h"

namespace {

// A 256x256 sheet whose every 16x16 cell is one solid colour encoding its column and row (row 0 at
// the top), sampled with nearest filtering so each screen pixel names exactly one texel.
GLuint cell_sheet() {
    static GLuint tex = 0;
    if (tex != 0)
        return tex;
    std::vector<unsigned char> texels(256 * 256 * 4);
    for (int t_row = 0; t_row < 256; ++t_row) {
        const int top_row = 255 - t_row;  // texture row 0 is the bottom of the picture
        for (int x = 0; x < 256; ++x) {
            unsigned char* p = &texels[(t_row * 256 + x) * 4];
            p[0] = static_cast<unsigned char>(16 * (x / 16) + 8);
            p[1] = static_cast<unsigned char>(16 * (top_row / 16) + 8);
            p[2] = 255;
            p[3] = 255;
        }
    }
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 256, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return tex;
}

using cell = std::pair<int, int>;  // column, row from the top
const cell NOTHING{-1, -1};

cell cell_at(int x, int y) {
    const auto p = gl_window::pixel(x, y);
    if (p[2] < 128)
        return NOTHING;
    return {p[0] / 16, p[1] / 16};
}

cell cell_of(int code) {
    return {code % 16, code / 16};
}

class Font : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_window::open());
        gl_window::begin_pixel_frame();
        bind_texture(static_cast<int>(cell_sheet()));
        glColor4f(1, 1, 1, 1);
    }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }

    // The cell seen in the visible part of each successive glyph of a left-aligned line: glyph i
    // shows alone in [left + 8i, left + 8i + 8) with quads 16 wide.
    std::vector<cell> line_cells(int left, int y, int count) {
        std::vector<cell> cells;
        for (int i = 0; i < count; ++i)
            cells.push_back(cell_at(left + 8 * i + 4, y));
        return cells;
    }
};

TEST_F(Font, TwoLettersLandWhereTheirQuadsBelongAndSampleTheirCells) {
    write(100, 50, std::string("AB"), 16, 16, LEFT);

    // A spans x 96..112, B 104..120 (drawn over A where they overlap), y 50..66.
    EXPECT_EQ(cell_at(96, 58), cell_of('A'));
    EXPECT_EQ(cell_at(103, 58), cell_of('A'));
    EXPECT_EQ(cell_at(104, 58), cell_of('B'));
    EXPECT_EQ(cell_at(119, 58), cell_of('B'));
    EXPECT_EQ(cell_at(95, 58), NOTHING);
    EXPECT_EQ(cell_at(120, 58), NOTHING);
    EXPECT_EQ(cell_at(100, 49), NOTHING);
    EXPECT_EQ(cell_at(100, 66), NOTHING);

    // The sampled window sits one texel below the cell: the bottom pixel row shows the top texel row
    // of the cell underneath, the top pixel row is still inside the cell.
    EXPECT_EQ(cell_at(100, 50), cell_of('A' + 16));
    EXPECT_EQ(cell_at(100, 51), cell_of('A'));
    EXPECT_EQ(cell_at(100, 65), cell_of('A'));
    EXPECT_EQ(cell_at(116, 50), cell_of('B' + 16));
    EXPECT_EQ(cell_at(116, 65), cell_of('B'));
}

TEST_F(Font, AlignmentsPlaceThreeLettersAroundTheAnchor) {
    struct Case {
        int align;
        int first_left;  // left edge of A's quad
    };
    for (Case c : {Case{LEFT, 96}, Case{CENTER, 84}, Case{RIGHT, 80}, Case{7, 96}}) {
        SCOPED_TRACE("align " + std::to_string(c.align));
        gl_window::begin_pixel_frame();
        bind_texture(static_cast<int>(cell_sheet()));
        write(100, 50, std::string("ABC"), 16, 16, c.align);
        EXPECT_EQ(cell_at(c.first_left - 1, 58), NOTHING);
        EXPECT_EQ(line_cells(c.first_left, 58, 3),
                  (std::vector<cell>{cell_of('A'), cell_of('B'), cell_of('C')}));
        EXPECT_EQ(cell_at(c.first_left + 31, 58), cell_of('C'));
        EXPECT_EQ(cell_at(c.first_left + 32, 58), NOTHING);
    }
}

TEST_F(Font, LineFeedReturnsToTheStartOneLineLowerWithTheWholeTextsOffset) {
    write(100, 50, std::string("A\nB"), 16, 16, LEFT);
    EXPECT_EQ(cell_at(100, 58), cell_of('A'));
    EXPECT_EQ(cell_at(100, 42), cell_of('B'));
    EXPECT_EQ(cell_at(95, 42), NOTHING);
    EXPECT_EQ(cell_at(111, 42), cell_of('B'));
    EXPECT_EQ(cell_at(112, 42), NOTHING);
    // Nothing is drawn for the line feed itself.
    EXPECT_EQ(cell_at(116, 58), NOTHING);

    // Right-aligned, both lines take the offset of a three-character text: quads start at 80.
    gl_window::begin_pixel_frame();
    bind_texture(static_cast<int>(cell_sheet()));
    write(100, 50, std::string("A\nB"), 16, 16, RIGHT);
    EXPECT_EQ(cell_at(80, 58), cell_of('A'));
    EXPECT_EQ(cell_at(95, 58), cell_of('A'));
    EXPECT_EQ(cell_at(96, 58), NOTHING);
    EXPECT_EQ(cell_at(80, 42), cell_of('B'));
    EXPECT_EQ(cell_at(79, 42), NOTHING);
    EXPECT_EQ(cell_at(96, 42), NOTHING);
}

TEST_F(Font, TextIsTintedByTheCurrentColourAndEmptyTextDrawsNothing) {
    glColor4f(0, 1, 0, 1);
    write(100, 50, std::string("A"), 16, 16, LEFT);
    write(200, 50, std::string(""), 16, 16, LEFT);
    const auto p = gl_window::pixel(100, 58);
    EXPECT_LT(p[0], 4) << describe(p);
    EXPECT_NEAR(p[1], 16 * 4 + 8, 3) << describe(p);
    EXPECT_EQ(cell_at(200, 58), NOTHING);
}

TEST_F(Font, NumbersStartWithTheCodeZeroCell) {
    write(100, 50, 0, 16, 16, LEFT);
    EXPECT_EQ(line_cells(96, 58, 2), (std::vector<cell>{cell_of(0), cell_of('0')}));
    EXPECT_EQ(cell_at(96 + 8 + 16, 58), NOTHING);

    gl_window::begin_pixel_frame();
    bind_texture(static_cast<int>(cell_sheet()));
    write(100, 50, 1234, 16, 16, LEFT);
    EXPECT_EQ(line_cells(96, 58, 5),
              (std::vector<cell>{cell_of(0), cell_of('1'), cell_of('2'), cell_of('3'), cell_of('4')}));
    EXPECT_EQ(cell_at(96 + 32 + 16, 58), NOTHING);

    // Right-aligned, the last digit's glyph ends at x + 8 (its quad at x + 12) whatever the leading cell.
    gl_window::begin_pixel_frame();
    bind_texture(static_cast<int>(cell_sheet()));
    write(100, 50, 1234, 16, 16, RIGHT);
    EXPECT_EQ(cell_at(111, 58), cell_of('4'));
    EXPECT_EQ(cell_at(112, 58), NOTHING);
    EXPECT_EQ(cell_at(64, 58), cell_of(0));
    EXPECT_EQ(cell_at(63, 58), NOTHING);
}

TEST_F(Font, NegativeNumbersCarryAMinusSignBeforeTheirDigits) {
    write(100, 50, -507, 16, 16, LEFT);
    EXPECT_EQ(line_cells(96, 58, 5),
              (std::vector<cell>{cell_of(0), cell_of('-'), cell_of('5'), cell_of('0'), cell_of('7')}));

    // The most negative int spells all its digits instead of overflowing on negation.
    gl_window::begin_pixel_frame();
    bind_texture(static_cast<int>(cell_sheet()));
    write(20, 50, INT_MIN, 16, 16, LEFT);
    std::vector<cell> expected{cell_of(0), cell_of('-')};
    for (char ch : std::string("2147483648"))
        expected.push_back(cell_of(ch));
    EXPECT_EQ(line_cells(16, 58, 12), expected);
}

TEST_F(Font, TextBoxHoldsEveryPixelTheTextLights) {
    struct Case {
        std::string text;
        int align;
    };
    for (const Case& c :
         {Case{"AB", LEFT}, Case{"Use mouse", CENTER}, Case{"A\nBCD\n", RIGHT}, Case{"xy", 7}}) {
        SCOPED_TRACE(c.text + ", align " + std::to_string(c.align));
        gl_window::begin_pixel_frame();
        bind_texture(static_cast<int>(cell_sheet()));
        write(150, 120, c.text, 16, 20, c.align);
        const pixel_rect box = text_box(150, 120, c.text, 16, 20, c.align);
        int low_x = 1000, low_y = 1000, high_x = -1, high_y = -1;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                if (cell_at(x, y) != NOTHING) {
                    low_x = std::min(low_x, x), high_x = std::max(high_x, x);
                    low_y = std::min(low_y, y), high_y = std::max(high_y, y);
                }
        ASSERT_GE(high_x, 0) << "nothing drawn";
        // Every lit pixel inside, and no more than the pixel to spare (and a rounding one) outside them.
        EXPECT_GE(low_x, box.x);
        EXPECT_GE(low_y, box.y);
        EXPECT_LT(high_x, box.x + box.width);
        EXPECT_LT(high_y, box.y + box.height);
        EXPECT_LE(low_x - box.x, 2);
        EXPECT_LE(low_y - box.y, 2);
        EXPECT_LE(box.x + box.width - 1 - high_x, 2);
        EXPECT_LE(box.y + box.height - 1 - high_y, 2);
    }
    EXPECT_EQ(text_box(10, 10, "", 16, 16, LEFT).width, 0);
    EXPECT_EQ(text_box(10, 10, "\n\n", 16, 16, CENTER).width, 0);
}

TEST_F(Font, ALeftOutTextLeavesTheStateItsDrawingWould) {
    for (const std::string text : {"AB", "Q\n", "", "\n"}) {
        SCOPED_TRACE("\"" + text + "\"");
        const auto unlike = [] {
            glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
            glTexCoord2f(0.3f, 0.7f);
        };
        float drawn[4], left_out[4];
        GLint drawn_mode[2], left_out_mode[2];
        unlike();
        write(100, 50, text, 16, 16, LEFT);
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, drawn);
        glGetIntegerv(GL_POLYGON_MODE, drawn_mode);
        unlike();
        leave_write_state(text);
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, left_out);
        glGetIntegerv(GL_POLYGON_MODE, left_out_mode);
        for (int i = 0; i < 4; ++i)
            EXPECT_FLOAT_EQ(left_out[i], drawn[i]);
        EXPECT_EQ(left_out_mode[0], drawn_mode[0]);
    }
}

}  // namespace
