// The font picture follows the interface's scale: the game's own at its size and below, the large one
// once the interface is scaled up by 1.4 or more, and back; a large picture that cannot be read leaves
// the game's font in place and is said once.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "game/render/font_picture.h"
#include "gl_window.h"
#include "graphics/textures.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

namespace {

int font_width() {
    glBindTexture(GL_TEXTURE_2D, tex2[0]);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    return width;
}

class FontPicture : public ScratchFolderTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl_window::open());
        ScratchFolderTest::SetUp();
        fs::create_directory("gfx");
        for (const char* name : {"font.tga", "font_large.tga"})
            fs::copy_file(fs::path(ZELVORANT_RUN_DIR) / "gfx" / name, fs::path("gfx") / name);
        if (textures.find("font") == textures.end())
            load_texture("gfx/font.tga", "font");
        ASSERT_EQ(textures.at("font"), tex2[0]);
    }
    void TearDown() override {
        fit_font_picture(1);
        ScratchFolderTest::TearDown();
    }
};

}  // namespace

TEST_F(FontPicture, TheLargePictureFromScale1Point4AndTheGamesOwnBelow) {
    fit_font_picture(1);
    EXPECT_EQ(font_width(), 512);
    fit_font_picture(1.39f);
    EXPECT_EQ(font_width(), 512);
    const int loads = texture_loads;
    fit_font_picture(1.8f);
    EXPECT_EQ(font_width(), 1024);
    EXPECT_EQ(texture_loads, loads + 1) << "kept pictures must see that the font changed";
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR_MIPMAP_LINEAR);
    fit_font_picture(2.4f);
    EXPECT_EQ(texture_loads, loads + 1) << "the same choice loads nothing again";
    fit_font_picture(0.78f);
    EXPECT_EQ(font_width(), 512);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
}

TEST_F(FontPicture, AMissingLargePictureLeavesTheGamesFontAndIsSaidOnce) {
    fs::remove("gfx/font_large.tga");
    fit_font_picture(1);
    ::testing::internal::CaptureStdout();
    fit_font_picture(1.8f);
    fit_font_picture(1.9f);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "error\n");
    EXPECT_EQ(font_width(), 512);
}
