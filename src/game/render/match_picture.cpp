#include "game/render/match_picture.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "game/netplay/network_match.h"
#include "game/render/render_hud.h"
#include "game/render/render_world.h"
#include "game/render/screen_inputs.h"
#include "game/sim/global.h"
#include "game/ui/network_screen.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "graphics/interface_frame.h"
#include "graphics/picture_inputs.h"
#include "graphics/pixel_projection.h"
#include "graphics/tile_mask.h"

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
// The "HIT" label reaches half a unit to each side of its place and half a unit up.
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
    append_text_inputs(out, network_screen::note());
    append_text_inputs(out, network_panel_label(BLUE_STATION) + network_panel_label(RED_STATION));
    append_text_inputs(out, network_match::link_label());
    out.push_back(zoom_hint_shown() ? 1.0f : 0.0f);
    return out;
}

// How far from its centre a body's picture can reach, whatever its turn.
float reach(const CParticle& p) {
    float r = 0;
    for (const CVector& c : p.gfx.geometry)
        r = std::max(r, std::sqrt(c.x * c.x + c.y * c.y));
    return p.type == SIGN ? std::max(r, LABEL_REACH) : r;
}

// The window pixels each moving part of a match's world can touch; false when there are too many to
// follow or one cannot be placed.
bool moving_world_parts(const CPixelProjection& world, std::vector<pixel_rect>& out) {
    out.clear();
    if (particles.size() > MOST_MOVING_BODIES + 7)
        return false;
    const auto add_square = [&](float x, float y, float r) {
        pixel_rect rect;
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
    return true;
}

// The tiles an area of the HUD (in the interface's frame) covers, with a pixel to spare on each side.
pixel_rect tiles_around(const CTileMask& mask, const pixel_rect& area) {
    const pixel_rect r = CInterfaceFrame::mapping().to_window(area);
    return mask.tiles_of({r.x - 1, r.y - 1, r.width + 2, r.height + 2});
}

}  // namespace

bool fixed_world_body(const CParticle* p) {
    for (const CParticle* f : {&background, &clouds, &star, &shadow_1, &shadow_2, &planet1, &planet2})
        if (p == f)
            return true;
    return false;
}

bool CMatchPicture::patch(const std::vector<CBackdrop::layer>& backdrop, const still_painters& paint) {
    mode = IDLE;
    dirty.clear();
    pulse_apart = false;
    if (!enabled || !match_screen() || !drawing_to_window())
        return false;
    world.emplace();
    std::vector<pixel_rect> moving;
    if (!moving_world_parts(*world, moving))
        return false;
    const int W = CDisplay::width(), H = CDisplay::height();
    CTileMask mask(W, H, TILE);
    for (const pixel_rect& r : moving)
        mask.mark(r);
    dirty = mask.rects();
    // The copy under the pulse holds the still picture there: with anything else changing in its place,
    // the pulse is drawn again as a patch.
    const int frame_w = CInterfaceFrame::width(), frame_h = CInterfaceFrame::height();
    const pixel_rect pulse = tiles_around(mask, pulse_area(frame_h));
    const pixel_rect noise_place = tiles_around(mask, noise_panel_area(frame_w, frame_h));
    pulse_apart =
        pulse.width > 0 && !meet(pulse, noise_place) &&
        std::none_of(dirty.begin(), dirty.end(), [&](const pixel_rect& r) { return meet(r, pulse); });
    if (!pulse_apart) {
        mask.mark(pulse);
        dirty = mask.rects();
    }
    double area = pulse_apart ? static_cast<double>(pulse.width) * pulse.height : 0;
    for (const pixel_rect& r : dirty)
        area += static_cast<double>(r.width) * r.height;
    if (dirty.size() > MOST_PATCHES || area > MOST_PATCHED_SHARE * W * H) {
        dirty.clear();
        pulse_apart = false;
        return false;
    }

    std::vector<float> now = still_inputs();
    if (view.empty() || view != now || !world_backdrop().current(backdrop)) {
        paint.whole();
        ++stills;
        view = copy.take(0, 0, W, H) ? now : std::vector<float>();
        kept_noise_frame = noise_frame();
        pulse_place = {};
    } else {
        copy.put_back(0, 0, W, H);
        // The noise panel shows a new frame every few steps: only its place is drawn again and kept.
        if (noise_frame() != kept_noise_frame) {
            clip_to(noise_place);
            paint.whole();
            stop_clipping();
            copy.refresh(noise_place.x, noise_place.y, noise_place.width, noise_place.height);
            kept_noise_frame = noise_frame();
            ++noise_frames;
        }
    }
    if (pulse_apart && (pulse_place.x != pulse.x || pulse_place.y != pulse.y ||
                        pulse_place.width != pulse.width || pulse_place.height != pulse.height)) {
        // The HUD pass puts the copy back over what this leaves there.
        clip_to(pulse);
        paint.under_pulse();
        stop_clipping();
        pulse_place = under_pulse.take(pulse.x, pulse.y, pulse.width, pulse.height) ? pulse : pixel_rect{};
        if (pulse_place.width == 0) {
            pulse_apart = false;
            mask.mark(pulse);
            dirty = mask.rects();
        }
    }
    mode = PATCHING;
    ++patched;
    return true;
}

bool CMatchPicture::reaches(const CParticle& p, const pixel_rect& r) const {
    const float s = reach(p);
    pixel_rect place;
    return !world || !world->rect_of(p.pos.x - s, p.pos.y - s, p.pos.x + s, p.pos.y + s, place) ||
           meet(place, r);
}

bool CMatchPicture::put_back_under_pulse() {
    if (mode != PATCHING || !pulse_apart)
        return false;
    clip_to(pulse_place);
    under_pulse.put_back(pulse_place.x, pulse_place.y, pulse_place.width, pulse_place.height);
    return true;
}

CMatchPicture& match_picture() {
    static CMatchPicture self;
    return self;
}
