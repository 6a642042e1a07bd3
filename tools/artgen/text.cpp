#include <ft2build.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include FT_FREETYPE_H

#include "pictures.h"

namespace art {

namespace {

// One FreeType face, released with its library.
class CFace {
  public:
    explicit CFace(const std::string& path) {
        if (FT_Init_FreeType(&lib_) != 0)
            return;
        if (FT_New_Face(lib_, path.c_str(), 0, &face_) != 0)
            face_ = nullptr;
    }
    ~CFace() {
        if (face_)
            FT_Done_Face(face_);
        if (lib_)
            FT_Done_FreeType(lib_);
    }
    CFace(const CFace&) = delete;
    CFace& operator=(const CFace&) = delete;
    FT_Face get() const { return face_; }

  private:
    FT_Library lib_ = nullptr;
    FT_Face face_ = nullptr;
};

struct coverage {
    int w, h;
    std::vector<float> a;
    coverage(int w_, int h_) : w(w_), h(h_), a(static_cast<size_t>(w_) * h_, 0.0f) {}
    float& at(int x, int y) { return a[static_cast<size_t>(y) * w + x]; }
    float get(int x, int y) const {
        return (x < 0 || y < 0 || x >= w || y >= h) ? 0 : a[static_cast<size_t>(y) * w + x];
    }
};

// Width in pixels of a line of text at the given size, squeezed horizontally by sx, with extra tracking.
float text_width(FT_Face face, const std::string& text, int size, float sx, float tracking) {
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size));
    FT_Set_Transform(face, nullptr, nullptr);
    float w = 0;
    for (char ch : text) {
        if (FT_Load_Char(face, static_cast<unsigned char>(ch), FT_LOAD_NO_HINTING) != 0)
            continue;
        w += face->glyph->metrics.horiAdvance / 64.0f * sx + tracking;
    }
    return w - tracking;
}

// Rasterises a line of text into `out` with its pen starting at (x, baseline).
void draw_text(FT_Face face, coverage& out, const std::string& text, float x, float baseline, int size,
               float sx, float tracking) {
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size));
    for (char ch : text) {
        FT_Matrix m{static_cast<FT_Fixed>(sx * 65536), 0, 0, 0x10000};
        FT_Vector delta{static_cast<FT_Pos>(std::lround((x - std::floor(x)) * 64)), 0};
        FT_Set_Transform(face, &m, &delta);
        if (FT_Load_Char(face, static_cast<unsigned char>(ch), FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0)
            continue;
        const FT_Bitmap& bm = face->glyph->bitmap;
        int left = static_cast<int>(std::floor(x)) + face->glyph->bitmap_left;
        int top = static_cast<int>(std::lround(baseline)) - face->glyph->bitmap_top;
        for (unsigned j = 0; j < bm.rows; ++j)
            for (unsigned i = 0; i < bm.width; ++i) {
                int px = left + static_cast<int>(i), py = top + static_cast<int>(j);
                if (px < 0 || py < 0 || px >= out.w || py >= out.h)
                    continue;
                float v = bm.buffer[j * bm.pitch + i] / 255.0f;
                out.at(px, py) = std::max(out.at(px, py), v);
            }
        FT_Set_Transform(face, nullptr, nullptr);
        FT_Load_Char(face, static_cast<unsigned char>(ch), FT_LOAD_NO_HINTING);
        x += face->glyph->metrics.horiAdvance / 64.0f * sx + tracking;
    }
    FT_Set_Transform(face, nullptr, nullptr);
}

// A lettering style: gradient fill, dark outline and a coloured glow, from a coverage mask.
void paint_lettering(CCanvas& c, const coverage& mask, float sx, float top, float bottom, float glow_alpha,
                     const rgba& glow_col, int outline) {
    std::vector<float> ring = mask.a, glow = mask.a;
    blur(ring, mask.w, mask.h, std::max(1, static_cast<int>(outline * sx)), outline, 2);
    blur(glow, mask.w, mask.h, static_cast<int>(16 * sx), 16, 3);
    std::vector<float> bevel = mask.a;
    blur(bevel, mask.w, mask.h, 2, 2, 1);
    for (int y = 0; y < mask.h; ++y)
        for (int x = 0; x < mask.w; ++x) {
            size_t i = static_cast<size_t>(y) * mask.w + x;
            float t = clamp01((y - top) / (bottom - top));
            rgba fill;
            if (t < 0.5f)
                fill = mix(rgba{0.96f, 0.99f, 1.0f, 1}, rgba{0.45f, 0.82f, 1.0f, 1}, t / 0.5f);
            else
                fill = mix(rgba{0.16f, 0.42f, 0.95f, 1}, rgba{0.1f, 0.16f, 0.55f, 1}, (t - 0.5f) / 0.5f);
            // Light from above: edges facing up catch a highlight.
            float up = (y > 0 && y + 1 < mask.h) ? bevel[i - mask.w] - bevel[i + mask.w] : 0;
            float hl = clamp01(-up * 1.5f);
            fill = mix(fill, rgba{1, 1, 1, 1}, hl * 0.6f);
            float g = clamp01(glow[i] * 1.8f) * glow_alpha;
            float o = smoothstep(0.02f, 0.3f, ring[i]) * 0.95f;
            c.over(x, y, {glow_col.r, glow_col.g, glow_col.b, g});
            c.over(x, y, {0.02f, 0.03f, 0.09f, o});
            c.over(x, y, {fill.r, fill.g, fill.b, mask.a[i]});
        }
}

}  // namespace

CCanvas paint_font(const std::string& font_dir, int cell) {
    CFace face(font_dir + "/DejaVuSansMono-Bold.ttf");
    if (!face.get() || cell < 32 || cell % 32 != 0)
        return CCanvas(0, 0);
    FT_Face f = face.get();
    // Every measure grows with the cell from those of the 32-pixel one.
    const int k = cell / 32;
    const int CELL = cell, SIZE = 26 * k;
    // The game samples each cell from 1/16 of a cell below its top edge: keep the top rows empty.
    const int TOP = 3 * k, BASELINE = 25 * k, BOTTOM = CELL - 1;
    FT_Set_Pixel_Sizes(f, 0, SIZE);
    CCanvas c(CELL * 16, CELL * 16);
    int clipped = 0;
    for (int code = 33; code < 127; ++code) {
        int cx = (code % 16) * CELL, cy = (code / 16) * CELL;
        FT_Set_Transform(f, nullptr, nullptr);
        if (FT_Load_Char(f, static_cast<FT_ULong>(code), FT_LOAD_TARGET_LIGHT) != 0)
            continue;
        float advance = f->glyph->advance.x / 64.0f;
        // The pen moves half a cell: centre the glyph's advance in the middle half of the cell.
        float origin = CELL / 4.0f + (CELL / 2.0f - advance) / 2;
        FT_Vector delta{static_cast<FT_Pos>(std::lround(origin * 64)), 0};
        FT_Set_Transform(f, nullptr, &delta);
        if (FT_Load_Char(f, static_cast<FT_ULong>(code), FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0)
            continue;
        const FT_Bitmap& bm = f->glyph->bitmap;
        for (unsigned j = 0; j < bm.rows; ++j)
            for (unsigned i = 0; i < bm.width; ++i) {
                float v = bm.buffer[j * bm.pitch + i] / 255.0f;
                if (v <= 0)
                    continue;
                int x = f->glyph->bitmap_left + static_cast<int>(i);
                int y = BASELINE - f->glyph->bitmap_top + static_cast<int>(j);
                if (x < CELL / 4 || x >= CELL * 3 / 4 || y < TOP || y > BOTTOM) {
                    ++clipped;
                    continue;
                }
                c.over(cx + x, cy + y, {1, 1, 1, v});
            }
    }
    FT_Set_Transform(f, nullptr, nullptr);
    if (clipped > 0)
        std::fprintf(stderr, "artgen: font: %d glyph pixels outside their cells\n", clipped);
    return c;
}

CCanvas paint_logo(const std::string& font_dir) {
    CFace face(font_dir + "/DejaVuSans-Bold.ttf");
    if (!face.get())
        return CCanvas(0, 0);
    // Shown 500 x 86: the 1024 x 256 picture is squeezed, so letters are painted narrower to compensate.
    const float sx = (1024.0f / 500) / (256.0f / 86);
    const std::string title = "ZELVORANT";
    int size = 196;
    float tracking = 10;
    float w = text_width(face.get(), title, size, sx, tracking);
    if (w > 900) {
        size = static_cast<int>(size * 900 / w);
        w = text_width(face.get(), title, size, sx, tracking);
    }
    float cap = 0.729f * size;
    float baseline = 128 + cap / 2;
    coverage mask(1024, 256);
    draw_text(face.get(), mask, title, (1024 - w) / 2, baseline, size, sx, tracking);
    CCanvas c(1024, 256);
    paint_lettering(c, mask, sx, baseline - cap, baseline, 0.75f, {1.0f, 0.45f, 0.12f, 1}, 6);
    return c;
}

CCanvas paint_splash(const std::string& font_dir) {
    CFace face(font_dir + "/DejaVuSans-Bold.ttf");
    if (!face.get())
        return CCanvas(0, 0);
    CCanvas c(512, 512);
    const float cx = 256, cy = 205, rx = 215, ry = 56, tilt = -0.2f;
    auto orbit = [&](bool front) {
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x) {
                float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
                float ex = dx * std::cos(tilt) + dy * std::sin(tilt);
                float ey = -dx * std::sin(tilt) + dy * std::cos(tilt);
                if ((ey > 0) != front)
                    continue;
                float k = std::hypot(ex / rx, ey / ry);
                float grad = std::hypot(ex / (rx * rx), ey / (ry * ry)) / std::max(k, 1e-4f);
                float d = std::fabs((k - 1) / std::max(grad, 1e-4f)) - 2.5f;
                float t = clamp01((ex / rx + 1) / 2);
                rgba col = mix(rgba{0.2f, 0.5f, 1.0f, 1}, rgba{1.0f, 0.4f, 0.2f, 1}, t);
                col.a = cover(d, 1) * (front ? 1.0f : 0.7f);
                c.over(x, y, col);
            }
    };
    orbit(false);
    CCanvas blue = paint_planet(1);
    c.blit(blue, static_cast<int>(cx) - 118, static_cast<int>(cy) - 118, 236.0f / 512);
    orbit(true);
    CCanvas red = paint_planet(2);
    c.blit(red, 392, 42, 84.0f / 512);
    // A missile's arc from the blue planet towards the red one.
    for (int i = 0; i < 400; ++i) {
        float t = i / 399.0f;
        float x = 330 + t * 85, y = 120 - std::sin(t * 3.1f) * 40 - t * 25;
        for (int yy = -3; yy <= 3; ++yy)
            for (int xx = -3; xx <= 3; ++xx) {
                float d = std::hypot(float(xx), float(yy));
                float a = std::exp(-d * d / 2.0f) * 0.5f * t * (1 - t) * 4 * 0.6f;
                c.over(static_cast<int>(x) + xx, static_cast<int>(y) + yy, {0.2f, 0.3f, 0.55f, a * 0.3f});
            }
    }
    const std::string title = "ZELVORANT";
    int size = 64;
    float tracking = 6;
    float w = text_width(face.get(), title, size, 1, tracking);
    if (w > 430) {
        size = static_cast<int>(size * 430 / w);
        w = text_width(face.get(), title, size, 1, tracking);
    }
    coverage mask(512, 512);
    float baseline = 420;
    draw_text(face.get(), mask, title, (512 - w) / 2, baseline, size, 1, tracking);
    for (int y = 0; y < 512; ++y)
        for (int x = 0; x < 512; ++x) {
            float t = clamp01((y - (baseline - 0.73f * size)) / (0.73f * size));
            rgba ink = mix(rgba{0.1f, 0.2f, 0.42f, 1}, rgba{0.04f, 0.07f, 0.18f, 1}, t);
            ink.a = mask.get(x, y);
            c.over(x, y, ink);
        }
    // A thin rule under the title, blue fading into red.
    for (int y = 436; y < 442; ++y)
        for (int x = 0; x < 512; ++x) {
            float t = (x - (512 - w) / 2) / w;
            if (t < 0 || t > 1)
                continue;
            float edge = smoothstep(0.0f, 0.08f, t) * smoothstep(1.0f, 0.92f, t);
            float thick = (y == 436 || y == 441) ? 0.4f : 1.0f;
            rgba col = mix(rgba{0.2f, 0.5f, 1.0f, 1}, rgba{1.0f, 0.4f, 0.2f, 1}, t);
            col.a = edge * thick;
            c.over(x, y, col);
        }
    return c;
}

}  // namespace art
