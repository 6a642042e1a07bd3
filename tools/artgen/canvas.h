#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tga_writer.h"

namespace art {

struct rgba {
    float r = 0, g = 0, b = 0, a = 0;
};

inline float clamp01(float v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}
inline float mix(float a, float b, float t) {
    return a + (b - a) * t;
}
inline rgba mix(const rgba& a, const rgba& b, float t) {
    return {mix(a.r, b.r, t), mix(a.g, b.g, t), mix(a.b, b.b, t), mix(a.a, b.a, t)};
}
inline float smoothstep(float e0, float e1, float x) {
    float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
// Antialiased coverage of a shape from its signed distance (negative inside) and the pixel size.
inline float cover(float sd, float px) {
    return clamp01(0.5f - sd / px);
}

float sd_circle(float x, float y, float cx, float cy, float r);
// Rounded box centred at (cx, cy) with half sizes hw, hh and corner radius rad.
float sd_box(float x, float y, float cx, float cy, float hw, float hh, float rad);
// Capsule around the segment a-b with the given radius.
float sd_segment(float x, float y, float ax, float ay, float bx, float by, float radius);
// Convex polygon given counter-clockwise or clockwise; exact distance.
float sd_polygon(float x, float y, const std::vector<float>& xy);

// Deterministic pseudo-random numbers (splitmix64): the same bytes on every machine and run.
class CRandom {
  public:
    explicit CRandom(uint64_t seed) : state_(seed) {}
    uint64_t next();
    float uniform(float lo = 0, float hi = 1);

  private:
    uint64_t state_;
};

float value_noise(float x, float y, float z, uint32_t seed);
// Fractal sum of value noise, roughly in 0..1.
float fbm(float x, float y, float z, int octaves, uint32_t seed);

// A floating-point picture with premultiplied alpha, row 0 at the top.
class CCanvas {
  public:
    CCanvas(int w, int h);
    int width() const { return w_; }
    int height() const { return h_; }
    float* at(int x, int y) { return &p_[(static_cast<size_t>(y) * w_ + x) * 4]; }
    const float* at(int x, int y) const { return &p_[(static_cast<size_t>(y) * w_ + x) * 4]; }
    // Normal "over" compositing of a straight colour with the given alpha.
    void over(int x, int y, const rgba& c);
    // Additive light; the pixel keeps its alpha.
    void add(int x, int y, float r, float g, float b);
    // Paints every pixel by a function of unit coordinates (-1..1, y up) and the pixel size in those units.
    void paint(const std::function<rgba(float u, float v, float px)>& fn);
    // Copies src (premultiplied) over this canvas at (ox, oy), scaling it by `scale` with box filtering.
    void blit(const CCanvas& src, int ox, int oy, float scale);
    // The 8-bit straight-alpha picture.
    rgba_image image() const;
    // A canvas read back from an 8-bit picture.
    static CCanvas from_image(const rgba_image& img);

  private:
    int w_, h_;
    std::vector<float> p_;
};

// Separable box blur of a one-channel buffer, repeated `passes` times (about a Gaussian).
void blur(std::vector<float>& buf, int w, int h, int rx, int ry, int passes);

}  // namespace art
