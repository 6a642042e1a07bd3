// Paints the game's pictures into <out>/gfx, or a contact sheet of them all.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "pictures.h"
#include "png_writer.h"

namespace art {

bool paint_all(const std::string& font_dir, std::vector<named_picture>& out, std::string& error) {
    CCanvas font = paint_font(font_dir, 32), large_font = paint_font(font_dir, 64),
            logo = paint_logo(font_dir), splash = paint_splash(font_dir);
    if (font.width() == 0 || large_font.width() == 0 || logo.width() == 0 || splash.width() == 0) {
        error = "cannot read the DejaVu fonts in " + font_dir;
        return false;
    }
    out.clear();
    out.push_back({"gfx/splash.tga", splash});
    out.push_back({"gfx/starfield.tga", paint_starfield()});
    out.push_back({"gfx/clouds.tga", paint_clouds()});
    out.push_back({"gfx/star.tga", paint_star()});
    out.push_back({"gfx/planet1.tga", paint_planet(1)});
    out.push_back({"gfx/planet2.tga", paint_planet(2)});
    out.push_back({"gfx/stacja niebieska.tga", paint_station(1)});
    out.push_back({"gfx/stacja czerwona.tga", paint_station(2)});
    out.push_back({"gfx/shadow.tga", paint_shadow()});
    out.push_back({"gfx/crossana.tga", paint_cross(1)});
    out.push_back({"gfx/crossb.tga", paint_cross(2)});
    out.push_back({"gfx/circlea.tga", paint_charge_ring()});
    out.push_back({"gfx/particle.tga", paint_particle()});
    out.push_back({"gfx/missile.tga", paint_missile()});
    out.push_back({"gfx/explode.tga", paint_explosion()});
    out.push_back({"gfx/font.tga", font});
    out.push_back({"gfx/hud_prawy.tga", paint_hud_right()});
    out.push_back({"gfx/pierwszy.tga", paint_left_one()});
    out.push_back({"gfx/drugi.tga", paint_left_two()});
    out.push_back({"gfx/trzeci.tga", paint_left_three()});
    out.push_back({"gfx/noiseb3.tga", paint_noise()});
    out.push_back({"gfx/logo.tga", logo});
    // White glyphs: their alpha says it all, in a quarter of the bytes.
    out.push_back({"gfx/font_large.tga", large_font, true});
    return true;
}

}  // namespace art

namespace {

using art::CCanvas;

// ImageMagick shows bottom-up TGA files upside down in PNG output; top-down ones convert as seen.
constexpr tga_layout art_sheet_layout = tga_layout::bgra_top_down;

// Writes a label with the game's own font at half size (8 pixels per character).
void label(CCanvas& sheet, const CCanvas& font, int x, int y, const std::string& text) {
    for (char ch : text) {
        int code = static_cast<unsigned char>(ch);
        int cx = (code % 16) * 32 + 8, cy = (code / 16) * 32;
        for (int j = 0; j < 16; ++j)
            for (int i = 0; i < 8; ++i) {
                float a = 0;
                for (int k = 0; k < 4; ++k)
                    a += font.at(cx + i * 2 + k % 2, cy + j * 2 + k / 2)[3];
                sheet.over(x + i, y + j, {0.9f, 0.93f, 1.0f, a / 4});
            }
        x += 8;
    }
}

int contact_sheet(const std::vector<art::named_picture>& pictures, const std::string& out) {
    const int W = 1700, GAP = 14, LABEL = 20;
    struct placed {
        int x, y, w, h;
        float scale;
    };
    std::vector<placed> layout;
    int x = GAP, y = GAP, shelf = 0;
    for (const auto& p : pictures) {
        int pw = p.canvas.width(), ph = p.canvas.height();
        float scale = std::max(pw, ph) <= 128 ? 2.0f : std::min({1.0f, 300.0f / ph, (W - 2.0f * GAP) / pw});
        int w = static_cast<int>(pw * scale + 0.5f), h = static_cast<int>(ph * scale + 0.5f);
        int tile_w = std::max(w, static_cast<int>(p.path.size()) * 8);
        if (x + tile_w + GAP > W) {
            x = GAP;
            y += shelf + LABEL + GAP;
            shelf = 0;
        }
        layout.push_back({x, y, w, h, scale});
        x += tile_w + GAP;
        shelf = std::max(shelf, h);
    }
    int H = y + shelf + LABEL + GAP;
    CCanvas sheet(W, H);
    for (int yy = 0; yy < H; ++yy)
        for (int xx = 0; xx < W; ++xx)
            sheet.over(xx, yy, {0.07f, 0.08f, 0.11f, 1});
    const CCanvas* font = nullptr;
    for (const auto& p : pictures)
        if (p.path == "gfx/font.tga")
            font = &p.canvas;
    for (size_t i = 0; i < pictures.size(); ++i) {
        const placed& l = layout[i];
        for (int yy = 0; yy < l.h; ++yy)
            for (int xx = 0; xx < l.w; ++xx) {
                float g = ((xx / 8 + yy / 8) % 2) ? 0.42f : 0.3f;
                sheet.over(l.x + xx, l.y + yy, {g, g, g, 1});
            }
        sheet.blit(pictures[i].canvas, l.x, l.y, l.scale);
        if (font)
            label(sheet, *font, l.x, l.y + l.h + 3, pictures[i].path.substr(4));
    }
    if (out.size() < 4 || out.substr(out.size() - 4) != ".tga")
        return write_converted(sheet.image(), art_sheet_layout, out, "", "artgen") ? 0 : 1;
    if (!write_file(out, encode_tga(sheet.image(), art_sheet_layout))) {
        std::fprintf(stderr, "artgen: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}

// Writes DIR/<size>x<size>/apps/NAME.png for each size, as the hicolor icon theme lays them out.
int write_icons(const std::string& dir, const std::string& name, const std::vector<int>& sizes) {
    for (int size : sizes) {
        const std::string folder = dir + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        const std::string path = folder + "/" + name + ".png";
        if (!write_png(path, art::paint_icon(size).image())) {
            std::fprintf(stderr, "artgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: artgen [--fonts DIR] OUT_DIR            paint every picture into OUT_DIR/gfx\n"
                 "       artgen [--fonts DIR] --contact-sheet FILE  write an overview picture (.tga or via "
                 "ImageMagick)\n"
                 "       artgen --icons DIR NAME SIZE...         paint the application icon into "
                 "DIR/<size>x<size>/apps/NAME.png\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "--icons") {
        std::vector<int> sizes;
        for (int i = 4; i < argc; ++i) {
            char* end = nullptr;
            long size = std::strtol(argv[i], &end, 10);
            if (*end != '\0' || size < 1 || size > 1024)
                return usage();
            sizes.push_back(static_cast<int>(size));
        }
        return argc > 4 && argv[3][0] != '\0' ? write_icons(argv[2], argv[3], sizes) : usage();
    }
    std::string fonts = "/usr/share/fonts/truetype/dejavu", out, sheet;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--fonts" && i + 1 < argc)
            fonts = argv[++i];
        else if (a == "--contact-sheet" && i + 1 < argc)
            sheet = argv[++i];
        else if (!a.empty() && a[0] != '-' && out.empty())
            out = a;
        else
            return usage();
    }
    if (out.empty() == sheet.empty())
        return usage();
    std::vector<art::named_picture> pictures;
    std::string error;
    if (!art::paint_all(fonts, pictures, error)) {
        std::fprintf(stderr, "artgen: %s\n", error.c_str());
        return 1;
    }
    if (!sheet.empty())
        return contact_sheet(pictures, sheet);
    std::error_code ec;
    std::filesystem::create_directories(out + "/gfx", ec);
    for (const auto& p : pictures) {
        std::string path = out + "/" + p.path;
        if (!write_file(path, encode_tga(p.canvas.image(),
                                         p.alpha_only ? tga_layout::grey : tga_layout::bgra_bottom_up))) {
            std::fprintf(stderr, "artgen: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
