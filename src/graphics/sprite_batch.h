#pragma once

#include <cstddef>
#include <vector>

class CParticle;

// Draws sprites in runs: consecutive particles that share a texture and a blend mode go to the card
// as one vertex array, their corners turned and placed on the CPU, each with its own colour. The
// picture is the one CParticle::display draws sprite by sprite, in the same order, and the GL state
// left behind (blend function, current colour, bound texture) is the same too.
class CSpriteBatch {
  public:
    // Queues p at depth z, first drawing the queued run if p cannot join it. A particle that draws
    // nothing still sets the blend function and colour, as display does, so it is applied at once.
    void add(CParticle* p, float z);
    // Draws the queued run. Call it before drawing anything else and at the end of the pass.
    void flush();

    // When set, every sprite is drawn at once through CParticle::display: the unbatched path, kept
    // as the reference in tests.
    static bool one_by_one;

    // Runs drawn since the last reset_count, for tests and benchmarks.
    std::size_t runs() const { return run_count; }
    void reset_count() { run_count = 0; }

    // One corner as the vertex array reads it.
    struct vertex {
        float s, t;
        float r, g, b, a;
        float x, y, z;
    };

    // Sends the quads as one vertex array with the bound texture and the current blend function.
    static void draw_quads(const std::vector<vertex>& quads);

  private:
    std::vector<vertex> vertices;
    int texture = -1;
    int blend = -1;
    float last_colour[4] = {1, 1, 1, 1};
    std::size_t run_count = 0;
};
