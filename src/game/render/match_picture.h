#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "graphics/backdrop.h"
#include "graphics/framebuffer_copy.h"
#include "graphics/pixel_projection.h"
#include "graphics/pixel_rect.h"

class CParticle;

// During a match most of the picture stands still: the backdrop, the planets and their shadows, the HUD
// panels. That picture, drawn without the moving parts (the stations and their aims, missiles, flares,
// trail dots, explosions and labels, the HUD's pulsing picture), is kept as a copy of the window.
// Each frame puts it back and draws again only the window rectangles the moving parts can touch: there
// the backdrop is put back and every world body and HUD piece is drawn, clipped to them, in the usual
// order, so each of their pixels comes out as a whole frame gives it, and outside them no moving part
// leaves a mark. The still picture is drawn again when anything it is drawn from changes (only the noise
// panel's place when that panel shows its next frame); with too much moving, the whole frame is drawn as
// ever.
class CMatchPicture {
  public:
    // What stands still in a match, drawn from within the world pass: the whole still picture, and the
    // still picture up to the HUD's pulsing picture.
    struct still_painters {
        void (*whole)();
        void (*under_pulse)();
    };

    // In the world pass, with the world's matrices set: whether this frame is drawn as patches. If it
    // is, the still picture is on the window (drawn again when the kept one was out of date) and
    // patches() are the rectangles to draw again.
    bool patch(const std::vector<CBackdrop::layer>& backdrop, const still_painters& paint);
    bool patching() const { return mode == PATCHING; }
    const std::vector<pixel_rect>& patches() const { return dirty; }
    // While a patch is drawn: whether world body `p` can leave a mark in window rectangle `r`.
    bool reaches(const CParticle& p, const pixel_rect& r) const;
    // In the HUD pass, after the patches: when nothing but the pulse changes the HUD's pulsing picture's
    // place, it is drawn over a kept copy of what lies under it rather than as a patch. Then this puts
    // the copy back, clips drawing to it and returns true: the pulse and what lies over it come next.
    bool put_back_under_pulse();
    // In the HUD pass, once the patches are drawn.
    void end_frame() {
        mode = IDLE;
        dirty.clear();
        pulse_apart = false;
    }
    // The next patched frame draws the still picture again.
    void invalidate() {
        view.clear();
        pulse_place = {};
    }

    // With false, every frame is drawn whole, as it would be without a kept picture: for benchmarks.
    void enable(bool on) { enabled = on; }

    // Frames drawn as patches, still pictures drawn whole, and noise panel frames drawn into the kept
    // one, for tests and benchmarks.
    std::size_t patched_frames() const { return patched; }
    std::size_t still_pictures() const { return stills; }
    std::size_t noise_panel_frames() const { return noise_frames; }

  private:
    enum { IDLE, PATCHING } mode = IDLE;
    bool enabled = true;
    CFramebufferCopy copy;
    std::vector<float> view;       // what the kept still picture is drawn from; empty when none is kept
    int kept_noise_frame = 0;      // the noise panel's frame in it
    CFramebufferCopy under_pulse;  // what lies under the pulsing picture, in `pulse_place`
    pixel_rect pulse_place;        // empty when nothing is kept there
    bool pulse_apart = false;      // this frame draws the pulse over that copy
    std::vector<pixel_rect> dirty;
    std::optional<CPixelProjection> world;  // through the world's matrices of this frame's patches
    std::size_t patched = 0;
    std::size_t stills = 0;
    std::size_t noise_frames = 0;
};

CMatchPicture& match_picture();

// The world's bodies that stand still in a match: the backdrop layers, the shadows and the planets.
bool fixed_world_body(const CParticle* p);
