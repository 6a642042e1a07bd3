#include "game/match_picture.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "game/global.h"
#include "game/network_match.h"
#include "game/render_hud.h"
#include "game/render_world.h"
#include "game/screen_inputs.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "graphics/picture_inputs.h"
#include "graphics/tile_mask.h"
#include "graphics/window_projection.h"

namespace {

using namespace global;

// Beyond this many moving bodies (a missile's trail alone is 200 dots) the whole frame is drawn:
// patching would cost more than it saves.
constexpr std::size_t MOST_MOVING_BODIES = 256;
// Patches are drawn each on their own; past this many, or past this share of the window, a whole
// frame is cheaper.
constexpr std::size_t MOST_PATCHES = 12;
constexpr double MOST_PATCHED_SHARE = 0.5;
// Patches are made of tiles of this many pixels a side.
constexpr int TILE = 16;
// The aim marker sits a unit from its station along the aim; its charge ring, the larger of its two
// squares, reaches 0.4 units from the marker's centre.
constexpr float AIM_DISTANCE = 1.0f;
constexpr float AIM_REACH = 0.4f;
// The "HIT" label is half a unit high and a unit and a half wide at most.
constexpr float LABEL_REACH = 1.0f;

bool match_screen() {
    return game_state == ON && menu_state == NONE && station1 != nullptr && station2 != nullptr;
}

// Everything the still picture of a match is drawn from.
std::vector<float> still_inputs() {
    std::vector<float> out;
    append_screen_inputs(out, false);
    for (const CStation* s : {station1, station2}) {
        const float values[] = {static_cast<float>(s->shields), static_cast<float>(s->rockets),
                                static_cast<float>(s->flares)};
        append_inputs(out, values, 3);
    }
    append_text_inputs(out, network_match::note());
    return out;
}

// How far from its centre a body's picture can reach, whatever its turn.
float reach(const CParticle& p) {
    float r = 0;
    for (const CVector& c : p.gfx.geometry)
        r = std::max(r, std::sqrt(c.x * c.x + c.y * c.y));
    return p.type == SIGN ? std::max(r, LABEL_REACH) : r;
}

// The window pixels each moving part of a match's picture can touch; false when there are too many
// to follow or one cannot be placed.
bool moving_parts(std::vector<window_rect>& out) {
    out.clear();
    if (particles.size() > MOST_MOVING_BODIES + 7)
        return false;
    const CWindowProjection world;
    const auto add_square = [&](float x, float y, float r) {
        window_rect rect;
        if (!world.rect_of(x - r, y - r, x + r, y + r, rect))
            return false;
        out.push_back(rect);
        return true;
    };
    for (const CParticle* p : particles) {
        if (fixed_world_body(p))
            continue;
        if (!add_square(p->pos.x, p->pos.y, reach(*p)))
            return false;
    }
    for (const CStation* s : {station1, station2}) {
        const CVector& at = s->particle->pos;
        if (!add_square(at.x + AIM_DISTANCE * std::sin(s->aim), at.y - AIM_DISTANCE * std::cos(s->aim),
                        AIM_REACH))
            return false;
    }
    const window_rect r = pulse_area(CDisplay::height());
    out.push_back({r.x - 1, r.y - 1, r.width + 2, r.height + 2});
    return true;
}

}  // namespace

bool fixed_world_body(const CParticle* p) {
    for (const CParticle* f : {&background, &clouds, &star, &shadow_1, &shadow_2, &planet1, &planet2})
        if (p == f)
            return true;
    return false;
}

bool CMatchPicture::patch(const std::vector<CBackdrop::layer>& backdrop, void (*draw_still)()) {
    mode = IDLE;
    dirty.clear();
    std::vector<window_rect> moving;
    if (!enabled || !match_screen() || !drawing_to_window() || !moving_parts(moving))
        return false;
    CTileMask mask(CDisplay::width(), CDisplay::height(), TILE);
    for (const window_rect& r : moving)
        mask.mark(r);
    dirty = mask.rects();
    double area = 0;
    for (const window_rect& r : dirty)
        area += static_cast<double>(r.width) * r.height;
    const double window = static_cast<double>(CDisplay::width()) * CDisplay::height();
    if (dirty.size() > MOST_PATCHES || area > MOST_PATCHED_SHARE * window) {
        dirty.clear();
        return false;
    }
    std::vector<float> now = still_inputs();
    const int W = CDisplay::width(), H = CDisplay::height();
    if (view.empty() || view != now || !world_backdrop().current(backdrop)) {
        draw_still();
        ++stills;
        view = copy.take(0, 0, W, H) ? now : std::vector<float>();
        kept_noise_frame = noise_frame();
    } else {
        copy.put_back(0, 0, W, H);
        // The noise panel shows a new frame every few steps: only its place is drawn again and kept.
        if (noise_frame() != kept_noise_frame) {
            const window_rect n = noise_panel_area(W, H);
            const window_rect area = overlap({n.x - 1, n.y - 1, n.width + 2, n.height + 2}, {0, 0, W, H});
            clip_to(area);
            draw_still();
            stop_clipping();
            copy.refresh(area.x, area.y, area.width, area.height);
            kept_noise_frame = noise_frame();
            ++noise_frames;
        }
    }
    mode = PATCHING;
    ++patched;
    return true;
}

CMatchPicture& match_picture() {
    static CMatchPicture self;
    return self;
}
