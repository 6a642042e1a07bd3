// The texture registry and the picture loader behind it, with pictures the test writes itself.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "gl_window.h"
#include "graphics/draw.h"
#include "graphics/textures.h"
#include "platform/glfw2.h"
#include "scratch_folder.h"
#include "tga_writer.h"

namespace {

using rgba = std::array<int, 4>;

// Quadrants as a viewer sees them: upper left blue, upper right white, lower left red, lower right green.
rgba_image quadrants(int side = 4) {
    rgba_image img(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const bool upper = y < side / 2, left = x < side / 2;
            uint8_t* p = img.at(x, y);
            const rgba c = upper ? (left ? rgba{0, 0, 255, 255} : rgba{255, 255, 255, 255})
                                 : (left ? rgba{255, 0, 0, 255} : rgba{0, 255, 0, 255});
            for (int k = 0; k < 4; ++k)
                p[k] = static_cast<uint8_t>(c[k]);
        }
    return img;
}

class Textures : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_window::open());
        // A fresh registry, as the program has when its window opens.
        glDeleteTextures(TEXTURE_SLOTS, tex2);
        glGenTextures(TEXTURE_SLOTS, tex2);
        textures.clear();
        last_tex = 0;
        dir = scratch_dir("textures");
        gl_window::begin_pixel_frame();
    }

    std::string write(const std::string& name, const rgba_image& img, tga_layout layout) {
        const std::string path = dir + "/" + name;
        EXPECT_TRUE(write_file(path, encode_tga(img, layout)));
        return path;
    }

    // Loads under a name and returns what was printed.
    std::string load(const std::string& path, const std::string& name) {
        testing::internal::CaptureStdout();
        load_texture(path, name);
        return testing::internal::GetCapturedStdout();
    }

    int set(const std::string& name, std::string* printed) {
        testing::internal::CaptureStdout();
        int id = set_texture(name);
        *printed = testing::internal::GetCapturedStdout();
        return id;
    }

    // Draws the texture over 20..100 x 20..100 and checks the four quadrants.
    void expect_upright_quadrants(int id, const std::string& what) {
        gl_window::begin_pixel_frame();
        float white[4] = {1, 1, 1, 1};
        draw_tex(20, 20, 80, 80, white, id);
        EXPECT_TRUE(near_colour(gl_window::pixel(35, 35), {255, 0, 0, 255}))
            << what << " lower left " << describe(gl_window::pixel(35, 35));
        EXPECT_TRUE(near_colour(gl_window::pixel(85, 35), {0, 255, 0, 255}))
            << what << " lower right " << describe(gl_window::pixel(85, 35));
        EXPECT_TRUE(near_colour(gl_window::pixel(35, 85), {0, 0, 255, 255}))
            << what << " upper left " << describe(gl_window::pixel(35, 85));
        EXPECT_TRUE(near_colour(gl_window::pixel(85, 85), {255, 255, 255, 255}))
            << what << " upper right " << describe(gl_window::pixel(85, 85));
    }

    static GLuint bound() {
        GLint b = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &b);
        return static_cast<GLuint>(b);
    }

    std::string dir;
};

TEST_F(Textures, EveryLayoutShowsUprightWithItsColours) {
    const rgba_image img = quadrants();
    const std::pair<tga_layout, const char*> layouts[] = {{tga_layout::bgra_bottom_up, "32-bit bottom-up"},
                                                          {tga_layout::bgra_top_down, "32-bit top-down"},
                                                          {tga_layout::bgr_bottom_up, "24-bit"},
                                                          {tga_layout::rle_bgra, "run-length"}};
    for (const auto& [layout, what] : layouts) {
        const std::string path = write(std::string(what) + ".tga", img, layout);
        EXPECT_EQ(load(path, what), "");
        std::string printed;
        const int id = set(what, &printed);
        EXPECT_EQ(printed, "");
        expect_upright_quadrants(id, what);
    }
}

TEST_F(Textures, OneChannelPictureIsAWhiteAlphaMapTakingTheTint) {
    rgba_image img(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            img.at(x, y)[3] = x < 2 ? 255 : 0;
    EXPECT_EQ(load(write("alpha.tga", img, tga_layout::grey), "alpha"), "");
    std::string printed;
    const int id = set("alpha", &printed);
    // White, its alpha the grey: a browser's OpenGL, unlike the desktop's, tints a GL_ALPHA texture black.
    unsigned char texels[4 * 4 * 4];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    EXPECT_EQ(texels[0], 255);
    EXPECT_EQ(texels[3], 255);
    EXPECT_EQ(texels[3 * 4 + 2], 255);
    EXPECT_EQ(texels[3 * 4 + 3], 0);
    float orange[4] = {1, 0.5f, 0, 1};
    draw_tex(20, 20, 80, 80, orange, id);
    EXPECT_TRUE(near_colour(gl_window::pixel(35, 60), {255, 128, 0, 255}, 4))
        << describe(gl_window::pixel(35, 60));
    EXPECT_TRUE(near_colour(gl_window::pixel(85, 60), {0, 0, 0, 255})) << describe(gl_window::pixel(85, 60));
}

TEST_F(Textures, MipmapsAreBuiltAndSamplingIsLinear) {
    EXPECT_EQ(load(write("mip.tga", quadrants(), tga_layout::bgra_bottom_up), "mip"), "");
    GLint w1 = 0, w2 = 0, min_filter = 0, mag_filter = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &w1);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH, &w2);
    EXPECT_EQ(w1, 2);
    EXPECT_EQ(w2, 1);
    // The smallest level is the mean of the whole picture.
    unsigned char last[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 2, GL_RGBA, GL_UNSIGNED_BYTE, last);
    EXPECT_NEAR(last[0], 128, 1);
    EXPECT_NEAR(last[1], 128, 1);
    EXPECT_NEAR(last[2], 128, 1);
    EXPECT_EQ(last[3], 255);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &min_filter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag_filter);
    EXPECT_EQ(min_filter, GL_LINEAR);
    EXPECT_EQ(mag_filter, GL_LINEAR);
}

TEST_F(Textures, NamesGetIdsInOrderAndBindThem) {
    const std::string a = write("a.tga", quadrants(), tga_layout::bgra_bottom_up);
    EXPECT_EQ(load(a, "first"), "");
    EXPECT_EQ(load(a, "second"), "");
    EXPECT_EQ(last_tex, 2);
    EXPECT_EQ(textures.at("first"), tex2[0]);
    EXPECT_EQ(textures.at("second"), tex2[1]);
    std::string printed;
    bind_no_texture();
    EXPECT_EQ(set("second", &printed), static_cast<int>(tex2[1]));
    EXPECT_EQ(bound(), tex2[1]);
    EXPECT_EQ(printed, "");
    for (int i = 0; i < TEXTURE_SLOTS; ++i)
        EXPECT_NE(tex2[i], NO_TEXTURE);

    // A name loaded again takes a new id but keeps leading to the first.
    EXPECT_EQ(load(a, "first"), "");
    EXPECT_EQ(last_tex, 3);
    EXPECT_EQ(set("first", &printed), static_cast<int>(tex2[0]));
}

TEST_F(Textures, UnreadablePicturesSayErrorOnceAndDrawThePlainTint) {
    std::vector<uint8_t> cut = encode_tga(quadrants(), tga_layout::bgra_bottom_up);
    cut.resize(cut.size() - 5);
    ASSERT_TRUE(write_file(dir + "/cut.tga", cut));
    ASSERT_TRUE(write_file(dir + "/text.tga", {'h', 'e', 'l', 'l', 'o'}));
    const std::pair<std::string, std::string> bad[] = {{dir + "/missing.tga", "missing"},
                                                       {dir + "/cut.tga", "cut"},
                                                       {dir + "/text.tga", "text"},
                                                       {dir, "folder"}};
    for (const auto& [path, name] : bad) {
        EXPECT_EQ(load(path, name), "error\n") << name;
        std::string printed;
        const int id = set(name, &printed);
        EXPECT_EQ(printed, "") << name;
        EXPECT_EQ(static_cast<GLuint>(id), textures.at(name));
        gl_window::begin_pixel_frame();
        float tint[4] = {1, 1, 0, 1};
        draw_tex(20, 20, 80, 80, tint, id);
        EXPECT_TRUE(near_colour(gl_window::pixel(35, 35), {255, 255, 0, 255})) << name;
        EXPECT_TRUE(near_colour(gl_window::pixel(85, 85), {255, 255, 0, 255})) << name;
    }
    EXPECT_EQ(last_tex, 4);
}

TEST_F(Textures, UnknownNameSaysDupaAndDrawsAsNoTexture) {
    EXPECT_EQ(load(write("q.tga", quadrants(), tga_layout::bgra_bottom_up), "font"), "");
    std::string printed;
    EXPECT_EQ(set("Font", &printed), -1);
    EXPECT_EQ(printed, "dupa\n");
    EXPECT_EQ(bound(), NO_TEXTURE);
    EXPECT_EQ(set("", &printed), -1);
    EXPECT_EQ(printed, "dupa\n");
    EXPECT_EQ(set("font", &printed), static_cast<int>(tex2[0]));
    EXPECT_EQ(printed, "");
}

TEST_F(Textures, LoadsBeyondTheTableSayErrorAndResolveToNoTexture) {
    const std::string a = write("a.tga", quadrants(), tga_layout::bgra_bottom_up);
    for (int i = 0; i < TEXTURE_SLOTS; ++i)
        ASSERT_EQ(load(a, "t" + std::to_string(i)), "") << i;
    EXPECT_EQ(last_tex, TEXTURE_SLOTS);
    EXPECT_EQ(textures.at("t99"), tex2[99]);

    EXPECT_EQ(load(a, "t100"), "error\n");
    EXPECT_EQ(load(a, "t101"), "error\n");
    EXPECT_EQ(last_tex, TEXTURE_SLOTS);
    std::string printed;
    EXPECT_EQ(set("t100", &printed), -1);
    EXPECT_EQ(printed, "");
    EXPECT_EQ(bound(), NO_TEXTURE);
    // Earlier names are untouched, and nothing was loaded into the no-texture name.
    EXPECT_EQ(set("t0", &printed), static_cast<int>(tex2[0]));
    EXPECT_EQ(printed, "");
    gl_window::begin_pixel_frame();
    float white[4] = {1, 1, 1, 1};
    draw_box(20, 20, 40, 40, white);
    EXPECT_TRUE(near_colour(gl_window::pixel(30, 30), {255, 255, 255, 255}));
}

TEST_F(Textures, LoadIntoAGivenIdRegistersNothing) {
    const std::string a = write("a.tga", quadrants(), tga_layout::bgra_bottom_up);
    GLuint own = 0;
    glGenTextures(1, &own);
    testing::internal::CaptureStdout();
    load_texture(a, own);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(last_tex, 0);
    EXPECT_TRUE(textures.empty());
    expect_upright_quadrants(static_cast<int>(own), "given id");

    // The no-texture name must stay without a picture, or every plain drawing would show it.
    testing::internal::CaptureStdout();
    load_texture(a, NO_TEXTURE);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "error\n");
    gl_window::begin_pixel_frame();
    float white[4] = {1, 1, 1, 1};
    draw_tex(20, 20, 80, 80, white, -1);
    EXPECT_TRUE(near_colour(gl_window::pixel(35, 35), {255, 255, 255, 255}));
    glDeleteTextures(1, &own);
}

}  // namespace
