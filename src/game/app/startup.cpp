#include "game/app/startup.h"

#include <cstdio>

#include "game/config/data_path.h"
#include "game/config/options.h"
#include "game/config/settings.h"
#include "game/render/hud_images.h"
#include "game/sim/board.h"
#include "game/sim/global.h"
#include "game/ui/menus.h"
#include "graphics/graphics.h"
#include "graphics/interface_frame.h"

namespace {

struct texture_entry {
    const char* name;
    const char* path;
};

// Everything but the splash, loaded once the splash is over.
const texture_entry texture_table[] = {
    {"background", "gfx/starfield.tga"},
    {"clouds", "gfx/clouds.tga"},
    {"star", "gfx/star.tga"},
    {"planet_1", "gfx/planet1.tga"},
    {"planet_2", "gfx/planet2.tga"},
    {"station_1", "gfx/stacja niebieska.tga"},
    {"station_2", "gfx/stacja czerwona.tga"},
    {"shadow", "gfx/shadow.tga"},
    {"blue_cross", "gfx/crossana.tga"},
    {"red_cross", "gfx/crossb.tga"},
    {"blue_circle", "gfx/circlea.tga"},
    {"particle", "gfx/particle.tga"},
    {"missile", "gfx/missile.tga"},
    {"explosion", "gfx/explode.tga"},
    {"font", "gfx/font.tga"},
    {"hud_right", "gfx/hud_prawy.tga"},
    {"left_one", "gfx/pierwszy.tga"},
    {"left_two", "gfx/drugi.tga"},
    {"left_three", "gfx/trzeci.tga"},
    {"noise", "gfx/noiseb3.tga"},
    {"logo", "gfx/logo.tga"},
};

// The interface is laid out for the window the game has always opened by default, and drawn scaled to
// whatever window it gets.
constexpr int INTERFACE_WIDTH = 1024;
constexpr int INTERFACE_HEIGHT = 600;

// The splash record lives for the whole run, like the other start-up records.
splash_arguments* splash = nullptr;

// Progress lines go to stdout in order with the registry's own lines, so flush after each piece.
void progress(const char* text) {
    std::printf("%s", text);
    std::fflush(stdout);
}

}  // namespace

splash_arguments* begin_start_up() {
    using namespace global;

    build_board();

    if (options.read() != 0)
        options.restore();
    settings.read();

    CInterfaceFrame::set_size(INTERFACE_WIDTH, INTERFACE_HEIGHT);
    progress("Setting up display...\t");
    CDisplay::set_dim(options.width, options.height);
    CDisplay::set_bg(0, 0, 0, 1);
    if (open_window("Zelvorant", options.fullscreen ? FULLSCREEN : WINDOWED) != 0) {
        progress("FAIL\n");
        return nullptr;
    }
    progress("DONE\n");

    load_texture(data_path("gfx/splash.tga"), "splash");
    splash = new splash_arguments();
    splash->tex = set_texture("splash");
    splash->w = 512;
    splash->h = 512;
    splash->col1 = color(0, 0, 0);
    splash->col2 = color(0.831f, 0.862f, 0.909f);
    splash->in = 100;
    splash->duration = 100;
    splash->out = 100;
    return splash;
}

void end_start_up() {
    using namespace global;

    progress("Loading textures...\t");
    for (const texture_entry& entry : texture_table)
        load_texture(data_path(entry.path), entry.name);
    progress("DONE\n");

    build_menus();

    struct body_picture {
        CParticle* body;
        const char* texture;
    };
    const body_picture bodies[] = {
        {&background, "background"},
        {&clouds, "clouds"},
        {&star, "star"},
        {&shadow_1, "shadow"},
        {&shadow_2, "shadow"},
        {&planet1, "planet_1"},
        {&planet2, "planet_2"},
        {station1->particle, "station_1"},
        {station2->particle, "station_2"},
    };
    for (const body_picture& b : bodies)
        b.body->set_gfx(set_texture(b.texture), white, ALPHA);

    noise.set_gfx(set_texture("noise"), 0);
    struct image_picture {
        CInterfaceElem* image;
        const char* texture;
    };
    const image_picture images[] = {
        {&hud_right, "hud_right"},
        {&left_one, "left_one"},
        {&left_two, "left_two"},
        {&left_three, "left_three"},
        {&menu_planet1, "planet_2"},
        {&menu_planet2, "planet_2"},
        {&logo, "logo"},
    };
    for (const image_picture& i : images)
        i.image->set_gfx(set_texture(i.texture), 0);
}

int init() {
    splash_arguments* shown = begin_start_up();
    if (shown == nullptr || draw_splash(shown) != 0)
        return -1;
    end_start_up();
    return 0;
}
