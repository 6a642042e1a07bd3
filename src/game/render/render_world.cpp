#include "game/render/render_world.h"

#include <GL/gl.h>

#include "game/render/font_picture.h"
#include "game/render/hud_images.h"
#include "game/render/match_picture.h"
#include "game/render/render_hud.h"
#include "game/render/still_screen.h"
#include "game/sim/global.h"
#include "game/sim/opponent_kind.h"
#include "graphics/backdrop.h"
#include "graphics/draw.h"
#include "graphics/font.h"
#include "graphics/interface_frame.h"
#include "graphics/sprite_batch.h"
#include "graphics/textures.h"
#include "graphics/zoom.h"

CBackdrop& world_backdrop() {
    static CBackdrop backdrop;
    return backdrop;
}

// Far to near: the depth gives the backdrop its parallax.
const std::vector<CBackdrop::layer>& backdrop_layers() {
    using namespace global;
    static const std::vector<CBackdrop::layer> layers = {{&background, -140}, {&clouds, -50}, {&star, -20}};
    return layers;
}

namespace {

// Every body of the world in front of the backdrop, and the stations' aims; only those that stand
// still in a match unless `moving`. Drawing a patch, the bodies that cannot reach it are left out.
void draw_bodies(bool moving, const pixel_rect* patch = nullptr) {
    using namespace global;
    const auto left_out = [&](const CParticle& p) {
        return patch != nullptr && !match_picture().reaches(p, *patch);
    };
    // Trails make thousands of small sprites: runs that share a picture go to the card as one batch,
    // in list order, so the picture is the one sprite-by-sprite drawing gives.
    static CSpriteBatch batch;
    for (CParticle* p : particles) {
        // Backdrop layers and shadows have their own depths and order. Whatever a body left out would
        // leave behind, the next body's drawing or the shadows' sets again.
        if (p->type == BACK || p->type == SHADOW || (!moving && !fixed_world_body(p)) || left_out(*p))
            continue;
        batch.add(p, 0);
        if (p->type == SIGN) {
            batch.flush();
            const float fade = 1.0f - static_cast<float>(p->counter) / 200.0f;
            set_color(1, 1, 1, fade);
            set_texture("font");
            write(p->pos.x, p->pos.y, "HIT", 0.5f, 0.5f, CENTER);
            bind_no_texture();
        }
    }

    batch.flush();

    // After every particle, so they darken the planets and whatever stands in front of them. The aims
    // are drawn with the blend function the shadows leave.
    for (CParticle* shadow : {&shadow_1, &shadow_2}) {
        if (left_out(*shadow))
            leave_display_state(*shadow);
        else
            shadow->display(0);
    }

    if (!moving)
        return;
    static float blue_ring[4] = {0, 0.7f, 1, 1};
    static float red_ring[4] = {1, 0.5f, 0.2f, 1};
    if (station1)
        station1->render_aim(set_texture("blue_cross"), blue_ring);
    // The computer's station keeps its aim to itself.
    // The gunner aims and charges as a player does, and shows it as a player's station would.
    if ((players == MULTI || opponent == GUNNER_OPPONENT) && station2)
        station2->render_aim(set_texture("red_cross"), red_ring);
}

// Draws `hud` in the interface's frame from within the world pass, and comes back to the world's matrices.
void in_interface_frame(void (*hud)()) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    CInterfaceFrame::project();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    bind_no_texture();
    hud();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// What stands still in a match: the world without its moving parts, then the HUD without its pulse.
void draw_still_match() {
    world_backdrop().draw(backdrop_layers());
    draw_bodies(false);
    in_interface_frame([] { draw_match_hud(false); });
}

// The same, up to the HUD's pulsing picture.
void draw_match_under_pulse() {
    world_backdrop().draw(backdrop_layers());
    draw_bodies(false);
    in_interface_frame(draw_under_pulse);
}

}  // namespace

void world_render() {
    using namespace global;

    // Before anything looks at what the pictures are: the font may change with the window's size.
    fit_font_picture(CInterfaceFrame::mapping().scale);

    // The HUD pass puts back the whole still picture.
    if (still_screen().begin_frame())
        return;

    // The menus show only the far backdrop; the how-to-play screen shows its frozen scene.
    if (game_state == HIDDEN && menu_state != INSTRUCTIONS) {
        world_backdrop().draw({{&background, -130}});
        return;
    }

    if (zooming && game_state != HIDDEN)
        translate_zoom(zoom_mul, 9.0f, -6.0f);

    const std::vector<CBackdrop::layer>& layers = backdrop_layers();
    if (match_picture().patch(layers, {draw_still_match, draw_match_under_pulse})) {
        for (const pixel_rect& r : match_picture().patches()) {
            clip_to(r);
            world_backdrop().draw_again(layers);
            draw_bodies(true, &r);
            // The HUD's pieces take some of their state from what was drawn before them: right after the
            // patch's world they start as a whole frame's HUD does.
            in_interface_frame([] { draw_match_hud(true); });
        }
        stop_clipping();
        return;
    }
    world_backdrop().draw(layers);
    draw_bodies(true);
}
