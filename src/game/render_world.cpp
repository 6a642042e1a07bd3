#include "game/render_world.h"

#include <GL/gl.h>

#include "game/global.h"
#include "game/under_menu.h"
#include "graphics/backdrop.h"
#include "graphics/draw.h"
#include "graphics/font.h"
#include "graphics/sprite_batch.h"
#include "graphics/textures.h"
#include "graphics/zoom.h"

CBackdrop& world_backdrop() {
    static CBackdrop backdrop;
    return backdrop;
}

void world_render() {
    using namespace global;

    // The HUD pass puts back the whole picture under the menu.
    if (under_menu().kept())
        return;

    // The menus show only the far backdrop; the how-to-play screen shows its frozen scene.
    if (game_state == HIDDEN && menu_state != INSTRUCTIONS) {
        world_backdrop().draw({{&background, -130}});
        return;
    }

    if (zooming && game_state != HIDDEN)
        translate_zoom(zoom_mul, 9.0f, -6.0f);

    // Far to near: the depth gives the backdrop its parallax.
    world_backdrop().draw({{&background, -140}, {&clouds, -50}, {&star, -20}});

    // Trails make thousands of small sprites: runs that share a picture go to the card as one batch,
    // in list order, so the picture is the one sprite-by-sprite drawing gives.
    static CSpriteBatch batch;
    for (CParticle* p : particles) {
        // Backdrop layers and shadows have their own depths and order.
        if (p->type == BACK || p->type == SHADOW)
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

    // After every particle, so they darken the planets and whatever stands in front of them.
    shadow_1.display(0);
    shadow_2.display(0);

    static float blue_ring[4] = {0, 0.7f, 1, 1};
    static float red_ring[4] = {1, 0.5f, 0.2f, 1};
    if (station1)
        station1->render_aim(set_texture("blue_cross"), blue_ring);
    // The computer's station keeps its aim to itself.
    if (players == MULTI && station2)
        station2->render_aim(set_texture("red_cross"), red_ring);
}
