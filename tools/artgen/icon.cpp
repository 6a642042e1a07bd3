// The application icon: the blue planet with its gun station and a missile leaving a bright trail, on a
// round patch of night sky so that it reads on light and dark desktops alike.
#include <algorithm>
#include <cmath>

#include "pictures.h"

namespace art {

namespace {

constexpr int MASTER = 512;  // painted once at this size, then scaled down to each icon size

struct point {
    float x, y;
};

// Copies src (premultiplied) over dst centred at (cx, cy), `size` pixels across, turned clockwise by
// `angle` radians; 3 x 3 samples a pixel keep the edges smooth.
void stamp(CCanvas& dst, const CCanvas& src, point centre, float size, float angle) {
    const float c = std::cos(angle), s = std::sin(angle), reach = size * 0.72f;
    for (int y = static_cast<int>(centre.y - reach); y <= static_cast<int>(centre.y + reach); ++y)
        for (int x = static_cast<int>(centre.x - reach); x <= static_cast<int>(centre.x + reach); ++x) {
            if (x < 0 || y < 0 || x >= dst.width() || y >= dst.height())
                continue;
            float sum[4] = {0, 0, 0, 0};
            for (int k = 0; k < 9; ++k) {
                float dx = x + (k % 3 + 0.5f) / 3 - centre.x, dy = y + (k / 3 + 0.5f) / 3 - centre.y;
                // Back from the turned picture to the source's own frame.
                float u = (dx * c + dy * s) / size + 0.5f, v = (-dx * s + dy * c) / size + 0.5f;
                if (u < 0 || v < 0 || u >= 1 || v >= 1)
                    continue;
                const float* p =
                    src.at(static_cast<int>(u * src.width()), static_cast<int>(v * src.height()));
                for (int i = 0; i < 4; ++i)
                    sum[i] += p[i] / 9;
            }
            float* q = dst.at(x, y);
            for (int i = 0; i < 4; ++i)
                q[i] = sum[i] + q[i] * (1 - clamp01(sum[3]));
        }
}

point bezier(point a, point b, point c, float t) {
    float k = 1 - t;
    return {k * k * a.x + 2 * k * t * b.x + t * t * c.x, k * k * a.y + 2 * k * t * b.y + t * t * c.y};
}

CCanvas paint_master() {
    CCanvas c(MASTER, MASTER);
    // Night sky in a disc, a little lighter towards the upper right where the light comes from.
    c.paint([](float u, float v, float px) -> rgba {
        float r = std::hypot(u, v);
        float glow = clamp01(0.5f + 0.35f * (u + v));
        rgba sky = mix(rgba{0.01f, 0.02f, 0.07f, 1}, rgba{0.07f, 0.1f, 0.25f, 1}, glow);
        float rim = smoothstep(0.05f, 0.0f, std::fabs(r - 0.93f)) * 0.6f;
        sky = mix(sky, rgba{0.35f, 0.6f, 1.0f, 1}, rim);
        return {sky.r, sky.g, sky.b, cover(r - 0.95f, px)};
    });
    CRandom rnd(515);
    for (int i = 0; i < 60; ++i) {
        float x = rnd.uniform(60, 452), y = rnd.uniform(60, 300), b = 0.3f + 0.7f * rnd.uniform();
        if (std::hypot(x - 256, y - 256) < 220)
            c.add(static_cast<int>(x), static_cast<int>(y), b, b, b);
    }

    const point planet{200, 340};
    const float planet_size = 330;  // the planet itself is 0.955 of its picture's half width across
    stamp(c, paint_planet(1), planet, planet_size, 0);

    // The station stands on the upper right of the planet, its barrel pointing away from it.
    const float aim = 0.7f;
    const point out{std::sin(aim), -std::cos(aim)};
    const float surface = planet_size / 2 * 0.955f;
    const point station{planet.x + out.x * (surface + 34), planet.y + out.y * (surface + 34)};
    stamp(c, paint_station(1), station, 118, aim);

    // The trail bends under the planet's pull; its dots grow brighter towards the missile.
    const point muzzle{station.x + out.x * 60, station.y + out.y * 60};
    const point bend{muzzle.x + out.x * 170, muzzle.y + out.y * 170};
    const point end{430, 250};
    const int dots = 26;
    for (int i = 0; i < dots; ++i) {
        float t = (i + 0.5f) / dots * 0.86f;
        point p = bezier(muzzle, bend, end, t);
        float radius = 3 + 6 * t, light = 0.25f + 0.75f * t;
        for (int y = static_cast<int>(p.y - 3 * radius); y <= static_cast<int>(p.y + 3 * radius); ++y)
            for (int x = static_cast<int>(p.x - 3 * radius); x <= static_cast<int>(p.x + 3 * radius); ++x) {
                float d = std::hypot(x + 0.5f - p.x, y + 0.5f - p.y) / radius;
                float k = light * std::exp(-d * d);
                c.add(x, y, 0.85f * k, 0.92f * k, k);
            }
    }
    // The missile flies along the curve's end, nose first.
    const point before = bezier(muzzle, bend, end, 0.97f);
    const float heading = std::atan2(end.x - before.x, before.y - end.y);
    stamp(c, paint_missile(), end, 96, heading);
    return c;
}

}  // namespace

CCanvas paint_icon(int size) {
    static const CCanvas master = paint_master();
    CCanvas icon(size, size);
    icon.blit(master, 0, 0, static_cast<float>(size) / MASTER);
    return icon;
}

}  // namespace art
