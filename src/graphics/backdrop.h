#pragma once

#include <cstddef>
#include <vector>

#include "graphics/framebuffer_copy.h"

class CParticle;

// Static layers drawn once and kept as a copy of the window, then put back every frame as one unblended
// quad, texel for pixel, as long as nothing they depend on changes: their bodies, depths and pictures,
// the matrices, the viewport, blending and the clear colour. The copy is the framebuffer itself after drawing
// the layers on the cleared window, so putting it back gives exactly the pixels drawing them gives.
class CBackdrop {
  public:
    struct layer {
        CParticle* body;
        float depth;
    };

    // Draws the layers far to near, or puts back their copy. Call it first in the frame, on the cleared
    // window, with the matrices the layers are drawn with. Leaves the GL state drawing them leaves.
    void draw(const std::vector<layer>& layers);
    // As draw, within the same frame as a draw or a `current` that found the copy up to date (as when
    // drawing the window again piece by piece): puts the copy back without looking again at what it
    // depends on.
    void draw_again(const std::vector<layer>& layers);
    // Whether draw would put the copy back rather than compose the layers again.
    bool current(const std::vector<layer>& layers) const;
    // The next draw composes the layers again.
    void invalidate() { view.clear(); }

    // Times the layers were drawn and copied rather than put back, for tests and benchmarks.
    std::size_t compositions() const { return composed; }

  private:
    std::vector<float> view;  // everything the copy depends on, as it was when it was taken
    CFramebufferCopy copy;
    std::size_t composed = 0;

    static std::vector<float> describe(const std::vector<layer>& layers);
};
