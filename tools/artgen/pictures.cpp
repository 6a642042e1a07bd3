#include "pictures.h"

#include <algorithm>
#include <cmath>

namespace art {

namespace {

constexpr float PI = 3.14159265f;

// Premultiplied accumulator for painting shapes back to front inside one pixel.
struct CLayers {
    float r = 0, g = 0, b = 0, a = 0;
    void over(const rgba& c, float coverage) {
        float k = clamp01(c.a * coverage);
        r = c.r * k + r * (1 - k);
        g = c.g * k + g * (1 - k);
        b = c.b * k + b * (1 - k);
        a = k + a * (1 - k);
    }
    rgba straight() const {
        if (a <= 0)
            return {0, 0, 0, 0};
        return {r / a, g / a, b / a, a};
    }
};

rgba shade(const rgba& c, float k) {
    return {c.r * k, c.g * k, c.b * k, c.a};
}

struct vec3 {
    float x, y, z;
};
vec3 normalize(vec3 v) {
    float l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / l, v.y / l, v.z / l};
}
float dot(vec3 a, vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The light comes from the upper right and a little towards the viewer, as the shadows assume.
const vec3 LIGHT = normalize({0.6f, 0.6f, 0.48f});

// Star colours from hot blue to cool red.
rgba star_colour(float t) {
    static const rgba ramp[] = {{0.65f, 0.78f, 1.0f, 1},
                                {0.85f, 0.9f, 1.0f, 1},
                                {1.0f, 1.0f, 1.0f, 1},
                                {1.0f, 0.93f, 0.75f, 1},
                                {1.0f, 0.75f, 0.5f, 1}};
    float p = clamp01(t) * 4;
    int i = std::min(3, static_cast<int>(p));
    return mix(ramp[i], ramp[i + 1], p - i);
}

// Additive round light with a soft halo; ax squeezes it horizontally for pictures shown stretched.
void splat(CCanvas& c, float cx, float cy, float radius, float power, const rgba& col, float ax, float halo) {
    int reach = static_cast<int>(std::ceil(radius * (halo > 0 ? 7 : 3))) + 1;
    for (int y = static_cast<int>(cy) - reach; y <= static_cast<int>(cy) + reach; ++y)
        for (int x = static_cast<int>(cx) - reach; x <= static_cast<int>(cx) + reach; ++x) {
            float dx = (x + 0.5f - cx) / ax, dy = y + 0.5f - cy;
            float d = std::hypot(dx, dy);
            float k = std::exp(-(d * d) / (radius * radius)) + halo * std::exp(-d / (radius * 2.2f));
            k *= power;
            c.add(x, y, col.r * k, col.g * k, col.b * k);
        }
}

}  // namespace

CCanvas paint_starfield() {
    const int S = 1024;
    // Shown 400 x 300 units: a texel is 4/3 as wide as it is high, so round things are painted narrower.
    const float ax = 0.75f;
    CCanvas c(S, S);
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            float u = x / float(S) * 4 / ax, v = y / float(S) * 4;
            float dust = fbm(u * 1.3f, v * 1.3f, 0.5f, 6, 11);
            float band = std::exp(-std::pow((x / float(S) - y / float(S) * 0.6f - 0.2f) * 3.2f, 2));
            float tint = fbm(u * 0.7f, v * 0.7f, 4.0f, 4, 12);
            float d = std::pow(clamp01(dust * 1.3f - 0.25f), 2.0f) * (0.5f + 1.2f * band);
            rgba purple{0.16f, 0.06f, 0.24f, 1}, blue{0.04f, 0.12f, 0.26f, 1};
            rgba dc = mix(purple, blue, smoothstep(0.35f, 0.65f, tint));
            float* p = c.at(x, y);
            p[0] = 0.006f + dc.r * d;
            p[1] = 0.008f + dc.g * d;
            p[2] = 0.022f + dc.b * d;
            p[3] = 1;
        }
    CRandom rnd(2024);
    // Many faint pinpricks, denser along the dust band.
    for (int i = 0; i < 5200; ++i) {
        float x = rnd.uniform(0, S), y = rnd.uniform(0, S);
        float in_band = std::exp(-std::pow((x / S - y / S * 0.6f - 0.2f) * 3.2f, 2));
        if (rnd.uniform() > 0.45f + 0.55f * in_band)
            continue;
        float b = 0.25f + 0.6f * std::pow(rnd.uniform(), 2.5f);
        splat(c, x, y, 0.55f, b, star_colour(rnd.uniform()), ax, 0);
    }
    for (int i = 0; i < 500; ++i) {
        float x = rnd.uniform(0, S), y = rnd.uniform(0, S);
        splat(c, x, y, 0.8f + rnd.uniform() * 0.5f, 0.6f + 0.5f * rnd.uniform(), star_colour(rnd.uniform()),
              ax, 0.08f);
    }
    for (int i = 0; i < 45; ++i) {
        float x = rnd.uniform(16, S - 16), y = rnd.uniform(16, S - 16);
        rgba col = star_colour(rnd.uniform());
        float r = 1.1f + rnd.uniform() * 0.9f;
        splat(c, x, y, r, 1.3f, col, ax, 0.12f);
        // Faint diffraction spikes on the brightest.
        for (int k = -int(r * 9); k <= int(r * 9); ++k) {
            float f = 0.22f * std::exp(-std::fabs(float(k)) / (r * 3));
            c.add(int(x + k * ax), int(y), col.r * f, col.g * f, col.b * f);
            c.add(int(x), int(y + k), col.r * f, col.g * f, col.b * f);
        }
    }
    return c;
}

CCanvas paint_clouds() {
    CCanvas c(512, 512);
    c.paint([](float u, float v, float) -> rgba {
        float r = std::hypot(u, v);
        float wx = fbm(u * 1.6f + 3.1f, v * 1.6f, 1.0f, 4, 21);
        float wy = fbm(u * 1.6f, v * 1.6f + 7.7f, 2.0f, 4, 22);
        float n = fbm(u * 2.0f + wx * 1.8f, v * 2.0f + wy * 1.8f, 0.3f, 6, 23);
        float lanes = fbm(u * 5.0f + wy, v * 5.0f - wx, 5.0f, 4, 24);
        float tint = fbm(u * 1.2f + wy * 0.8f, v * 1.2f, 8.0f, 3, 25);
        float falloff = 1 - smoothstep(0.35f, 0.97f, r);
        float density = smoothstep(0.36f, 0.74f, n) * falloff;
        density *= 0.75f + 0.5f * smoothstep(0.3f, 0.7f, lanes);
        rgba magenta{0.95f, 0.4f, 1.0f, 1}, blue{0.4f, 0.62f, 1.0f, 1}, teal{0.4f, 1.0f, 0.95f, 1};
        rgba col = tint < 0.5f ? mix(magenta, blue, smoothstep(0.3f, 0.5f, tint))
                               : mix(blue, teal, smoothstep(0.5f, 0.7f, tint));
        col = mix(col, rgba{1, 0.9f, 1, 1}, smoothstep(0.7f, 0.95f, n) * 0.4f);
        col.a = clamp01(density * 0.7f);
        return col;
    });
    return c;
}

CCanvas paint_star() {
    CCanvas c(256, 256);
    c.paint([](float u, float v, float) -> rgba {
        float r = std::hypot(u, v);
        float core = smoothstep(0.17f, 0.09f, r);
        float glow = std::exp(-r * 6.0f) * 0.9f + std::exp(-r * 2.6f) * 0.35f;
        float ang = std::atan2(v, u);
        float rays = std::pow(std::fabs(std::cos(ang * 2)), 60.0f) * std::exp(-r * 3.5f) * 0.6f +
                     std::pow(std::fabs(std::cos(ang * 2 + PI / 4)), 80.0f) * std::exp(-r * 5.0f) * 0.3f;
        float edge = 1 - smoothstep(0.6f, 0.98f, r);
        float light = (core + glow + rays) * edge;
        rgba hot{1, 1, 0.96f, 1}, warm{1.0f, 0.78f, 0.45f, 1};
        rgba col = mix(warm, hot, clamp01(core + std::exp(-r * 9.0f)));
        col.a = clamp01(light);
        return col;
    });
    return c;
}

CCanvas paint_planet(int which) {
    CCanvas c(512, 512);
    const bool blue = which == 1;
    const uint32_t seed = blue ? 100 : 200;
    // Craters of the red planet, as directions on the sphere.
    struct crater {
        vec3 dir;
        float size;
    };
    std::vector<crater> craters;
    CRandom rnd(seed);
    for (int i = 0; i < (blue ? 0 : 22); ++i) {
        vec3 d = normalize({rnd.uniform(-1, 1), rnd.uniform(-1, 1), rnd.uniform(0.1f, 1)});
        craters.push_back({d, 0.04f + 0.12f * std::pow(rnd.uniform(), 2.0f)});
    }
    c.paint([&](float u, float v, float px) -> rgba {
        const float R = 0.955f;
        float r = std::hypot(u, v);
        rgba atm = blue ? rgba{0.45f, 0.75f, 1.0f, 1} : rgba{1.0f, 0.6f, 0.35f, 1};
        float side = clamp01(0.35f + 0.65f * (u * LIGHT.x + v * LIGHT.y) / std::max(r, 1e-3f));
        CLayers out;
        if (r > R - px) {
            float t = clamp01((r - R) / (1 - R));
            float halo = 0.55f * (1 - t) * (1 - t) * side * (r < 1 ? 1.0f : 0.0f);
            out.over(atm, halo);
        }
        float cov = cover(r - R, px);
        if (cov <= 0)
            return out.straight();
        float nx = u / R, ny = v / R;
        float nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
        vec3 n{nx, ny, nz};
        float h = fbm(nx * 2.2f + 5, ny * 2.2f, nz * 2.2f, 7, seed);
        rgba col;
        float spec_mask = 0;
        if (blue) {
            rgba deep{0.02f, 0.09f, 0.3f, 1}, shallow{0.07f, 0.38f, 0.72f, 1};
            rgba low{0.16f, 0.5f, 0.32f, 1}, high{0.55f, 0.52f, 0.34f, 1};
            float land = smoothstep(0.55f, 0.565f, h);
            rgba sea = mix(deep, shallow, smoothstep(0.35f, 0.55f, h));
            rgba ground = mix(low, high, smoothstep(0.58f, 0.72f, h));
            col = mix(sea, ground, land);
            spec_mask = 1 - land;
            float ice = smoothstep(0.8f, 0.86f, std::fabs(ny) + (h - 0.5f) * 0.3f);
            col = mix(col, rgba{0.9f, 0.95f, 1.0f, 1}, ice);
            float cl = fbm(nx * 2.5f, ny * 6.0f, nz * 2.5f + 3, 6, seed + 7);
            float cloud = smoothstep(0.52f, 0.72f, cl) * 0.85f;
            col = mix(col, rgba{0.95f, 0.97f, 1.0f, 1}, cloud);
            spec_mask *= 1 - cloud;
        } else {
            rgba dark{0.32f, 0.09f, 0.06f, 1}, rust{0.7f, 0.28f, 0.12f, 1}, sand{0.92f, 0.62f, 0.35f, 1};
            col = h < 0.5f ? mix(dark, rust, smoothstep(0.3f, 0.5f, h))
                           : mix(rust, sand, smoothstep(0.5f, 0.72f, h));
            float bands = fbm(nx * 1.5f, ny * 9.0f, nz * 1.5f, 4, seed + 3);
            col = shade(col, 0.85f + 0.3f * bands);
            float ridge = 1 - std::fabs(fbm(nx * 3.0f, ny * 3.0f, nz * 3.0f + 9, 5, seed + 5) * 2 - 1);
            col = mix(col, rgba{0.3f, 0.07f, 0.04f, 1}, smoothstep(0.955f, 0.99f, ridge) * 0.35f);
            for (const crater& k : craters) {
                float d = std::acos(std::min(1.0f, dot(n, k.dir))) / k.size;
                if (d > 1.3f)
                    continue;
                float floor_dark = smoothstep(0.95f, 0.6f, d) * 0.3f;
                float rim = std::exp(-std::pow((d - 1.0f) * 6, 2)) * 0.35f;
                col = shade(col, 1 - floor_dark + rim);
            }
        }
        float diff = clamp01(dot(n, LIGHT));
        float light = 0.1f + 1.0f * std::pow(diff, 0.8f);
        col = shade(col, light);
        vec3 half = normalize({LIGHT.x, LIGHT.y, LIGHT.z + 1});
        float spec = std::pow(clamp01(dot(n, half)), 90.0f) * spec_mask * 0.35f;
        float rim = std::pow(1 - nz, 2.5f) * (0.25f + 0.75f * diff);
        col.r = col.r + spec + atm.r * rim * 0.8f;
        col.g = col.g + spec + atm.g * rim * 0.8f;
        col.b = col.b + spec + atm.b * rim * 0.8f;
        col = {clamp01(col.r), clamp01(col.g), clamp01(col.b), 1};
        out.over(col, cov);
        return out.straight();
    });
    return c;
}

CCanvas paint_shadow() {
    CCanvas c(256, 256);
    c.paint([](float u, float v, float px) -> rgba {
        // Drawn 12 units wide, centred 4 units left of and below the planet (radius 3).
        float x = u * 6 - 4, y = v * 6 - 4, unit_px = px * 6;  // relative to the planet's centre
        float r = std::hypot(x, y);
        float alpha = 0;
        if (r < 3 + unit_px) {
            float nx = x / 3, ny = y / 3;
            float nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
            // A lower sun than the planets' own shading: the night side is a clear crescent in play.
            const vec3 low = normalize({0.65f, 0.65f, 0.2f});
            float d = nx * low.x + ny * low.y + nz * low.z;
            alpha = 0.85f * smoothstep(0.2f, -0.2f, d) * cover(r - 3, unit_px);
        }
        // The cast shadow behind the planet, away from the light, fading with distance.
        float t = -(x + y) * 0.7071f, s = std::fabs(x - y) * 0.7071f;
        if (t > 0) {
            float cast =
                0.5f * smoothstep(3.1f, 2.0f, s) * smoothstep(0.0f, 2.0f, t) * smoothstep(9.5f, 5.0f, t);
            alpha = std::max(alpha, cast * (r > 3 ? 1.0f : 0.0f));
        }
        // Nothing at the picture's border, so it never shows a hard edge.
        float edge = smoothstep(0.985f, 0.92f, std::max(std::fabs(u), std::fabs(v)));
        return {0, 0.01f, 0.03f, alpha * edge};
    });
    return c;
}

CCanvas paint_station(int which) {
    CCanvas c(128, 128);
    const rgba team = which == 1 ? rgba{0.25f, 0.68f, 1.0f, 1} : rgba{1.0f, 0.36f, 0.24f, 1};
    const rgba glow = which == 1 ? rgba{0.7f, 0.92f, 1.0f, 1} : rgba{1.0f, 0.8f, 0.55f, 1};
    c.paint([&](float u, float v, float px) -> rgba {
        const std::vector<float> legs = {-0.86f, -0.9f, 0.86f, -0.9f, 0.58f, -0.52f, -0.58f, -0.52f};
        float d_barrel = sd_box(u, v, 0, 0.45f, 0.1f, 0.45f, 0.03f);
        float d_muzzle = sd_box(u, v, 0, 0.84f, 0.15f, 0.07f, 0.03f);
        float d_legs = sd_polygon(u, v, legs);
        float d_body = sd_box(u, v, 0, -0.34f, 0.66f, 0.3f, 0.12f);
        float d_dome = sd_circle(u, v, 0, -0.1f, 0.48f);
        float d_all = std::min({d_barrel, d_muzzle, d_legs, d_body, d_dome});
        CLayers l;
        l.over({0.03f, 0.04f, 0.07f, 0.9f}, cover(d_all - 0.07f, px));
        l.over(shade({0.4f, 0.43f, 0.5f, 1}, 0.8f + 0.3f * v), cover(d_legs, px));
        float cyl = 0.65f + 0.35f * std::cos(u / 0.1f * PI / 2 - 0.4f);
        l.over(shade({0.82f, 0.85f, 0.9f, 1}, cyl), cover(d_barrel, px));
        l.over(team, cover(d_muzzle, px));
        // A glass turret half sunk into the hull, lit from the upper right.
        float glass = smoothstep(0.5f, -0.2f, std::hypot(u - 0.16f, v - 0.2f));
        l.over(mix(shade(team, 0.5f), glow, glass), cover(d_dome, px));
        l.over({1, 1, 1, 0.85f}, cover(sd_circle(u, v, 0.17f, 0.2f, 0.08f), px));
        l.over(shade({0.62f, 0.66f, 0.74f, 1}, 0.75f + 0.4f * (v + 0.64f)), cover(d_body, px));
        l.over(team, cover(std::max(d_body, std::fabs(v + 0.46f) - 0.055f), px));
        for (float sx : {-0.46f, 0.46f})
            l.over(glow, cover(sd_circle(u, v, sx, -0.28f, 0.065f), px));
        return l.straight();
    });
    return c;
}

CCanvas paint_cross(int which) {
    CCanvas c(64, 64);
    const rgba col = which == 1 ? rgba{0.4f, 0.85f, 1.0f, 1} : rgba{1.0f, 0.5f, 0.28f, 1};
    c.paint([&](float u, float v, float px) -> rgba {
        float r = std::hypot(u, v);
        float ang = std::atan2(v, u) + PI;
        float m = std::fmod(ang, PI / 2) - PI / 4;  // 0 on the diagonals
        float arc = std::max(std::fabs(r - 0.6f) - 0.06f, (std::fabs(m) - 0.5f) * r);
        float tick = 1e9f;
        for (int k = 0; k < 4; ++k) {
            float dx = std::cos(k * PI / 2), dy = std::sin(k * PI / 2);
            tick = std::min(tick, sd_segment(u, v, dx * 0.3f, dy * 0.3f, dx * 0.8f, dy * 0.8f, 0.055f));
        }
        float dot_c = sd_circle(u, v, 0, 0, 0.08f);
        float shape = std::min({arc, tick, dot_c});
        CLayers l;
        l.over({0, 0, 0, 0.6f}, cover(shape - 0.08f, px));
        l.over(col, cover(shape, px));
        l.over({1, 1, 1, 1}, cover(dot_c + 0.03f, px));
        return l.straight();
    });
    return c;
}

CCanvas paint_charge_ring() {
    const int F = 64;
    CCanvas c(F * 16, F);
    for (int f = 1; f <= 16; ++f) {
        CCanvas frame(F, F);
        float filled = f / 16.0f * 2 * PI;
        frame.paint([&](float u, float v, float px) -> rgba {
            float r = std::hypot(u, v);
            float a = std::atan2(u, v);  // clockwise from the top
            if (a < 0)
                a += 2 * PI;
            float ring = cover(std::fabs(r - 0.74f) - 0.13f, px);
            const float seg = 2 * PI / 16;
            float m = std::fmod(a, seg);
            float gap = clamp01(std::min(m, seg - m) * r / px - 0.5f);
            float inside = f == 16 ? 1.0f : clamp01(0.5f + std::min(a, filled - a) * r / px);
            float k = ring * gap;
            CLayers l;
            l.over({0.85f, 0.85f, 0.85f, 0.22f}, k);
            l.over({0.95f, 0.95f, 0.95f, 1}, k * inside);
            return l.straight();
        });
        c.blit(frame, (f - 1) * F, 0, 1.0f);
    }
    return c;
}

CCanvas paint_particle() {
    CCanvas c(64, 64);
    c.paint([](float u, float v, float) -> rgba {
        float r = std::hypot(u, v);
        float a = r >= 1 ? 0 : std::pow(1 - r * r, 2.5f);
        return {1, 1, 1, a};
    });
    return c;
}

CCanvas paint_missile() {
    CCanvas c(64, 64);
    c.paint([](float u, float v, float px) -> rgba {
        float body = sd_box(u, v, 0, -0.06f, 0.14f, 0.5f, 0.1f);
        float nose = sd_polygon(u, v, {-0.14f, 0.36f, 0.14f, 0.36f, 0.0f, 0.86f}) - 0.01f;
        float fins =
            std::min(sd_polygon(u, v, {-0.12f, -0.18f, -0.12f, -0.56f, -0.38f, -0.74f, -0.38f, -0.44f}),
                     sd_polygon(u, v, {0.12f, -0.18f, 0.38f, -0.44f, 0.38f, -0.74f, 0.12f, -0.56f}));
        float nozzle = sd_box(u, v, 0, -0.6f, 0.09f, 0.09f, 0.02f);
        float all = std::min({body, nose, fins, nozzle});
        float cyl = 0.72f + 0.28f * std::cos(u / 0.14f * PI / 2 - 0.35f);
        CLayers l;
        l.over({0.1f, 0.1f, 0.12f, 0.85f}, cover(all - 0.06f, px));
        l.over({0.45f, 0.46f, 0.5f, 1}, cover(nozzle, px));
        l.over({0.78f, 0.8f, 0.84f, 1}, cover(fins, px));
        l.over(shade({1, 1, 1, 1}, cyl), cover(std::min(body, nose), px));
        l.over({0.5f, 0.52f, 0.58f, 1}, cover(std::max(body, std::fabs(v - 0.3f) - 0.035f), px));
        return l.straight();
    });
    return c;
}

CCanvas paint_explosion() {
    const int F = 128, N = 13;
    CCanvas c(F * N, F);
    for (int y = 0; y < F; ++y)
        for (int x = 0; x < F * N; ++x)
            c.at(x, y)[3] = 1;
    CRandom rnd(77);
    struct ember {
        float dx, dy, speed, size, heat;
    };
    std::vector<ember> embers;
    for (int i = 0; i < 70; ++i) {
        float a = rnd.uniform(0, 2 * PI);
        embers.push_back({std::cos(a), std::sin(a), rnd.uniform(0.45f, 0.95f), rnd.uniform(0.015f, 0.035f),
                          rnd.uniform(0.5f, 1.0f)});
    }
    for (int k = 0; k < N - 1; ++k) {  // the last frame stays black
        float t = k / float(N - 1);
        float energy = std::pow(1 - t, 1.4f);
        float R = 0.22f + 0.62f * std::sqrt(t);
        for (int y = 0; y < F; ++y)
            for (int x = 0; x < F; ++x) {
                float u = (x + 0.5f) / F * 2 - 1, v = 1 - (y + 0.5f) / F * 2;
                float r = std::hypot(u, v);
                float ang = std::atan2(v, u);
                float turb =
                    fbm(std::cos(ang) * 3 + 3 + u * 2, std::sin(ang) * 3 + 3 + v * 2, t * 2.5f, 5, 300);
                float rr = r / (R * (0.65f + 0.7f * turb));
                float inner = fbm(u * 6 + 9, v * 6, t * 3, 5, 301);
                float density = smoothstep(1.05f, 0.4f, rr) * (0.5f + 1.0f * inner);
                // Late frames hollow out into a smoky ring.
                density *= 1 - smoothstep(0.35f, 1.0f, t) * smoothstep(0.6f, 0.0f, rr) * 0.7f;
                float heat = clamp01(density * energy * 1.25f + (k < 2 ? (1 - rr) * (2 - k) * 0.6f : 0));
                rgba col;
                if (heat > 0.75f)
                    col = mix(rgba{1, 0.85f, 0.4f, 1}, rgba{1, 1, 0.95f, 1}, (heat - 0.75f) / 0.25f);
                else if (heat > 0.4f)
                    col = mix(rgba{1, 0.45f, 0.1f, 1}, rgba{1, 0.85f, 0.4f, 1}, (heat - 0.4f) / 0.35f);
                else
                    col = mix(rgba{0, 0, 0, 1}, rgba{1, 0.45f, 0.1f, 1}, heat / 0.4f);
                float bright = std::min(1.0f, heat * 1.4f);
                float flash = k < 3 ? std::exp(-r * r / 0.06f) * (3 - k) * 0.45f : 0;
                float shock = std::exp(-std::pow((r - (0.3f + 0.68f * t)) / 0.03f, 2)) * 0.22f * (1 - t) *
                              (1 - t) * (0.6f + 0.8f * turb);
                float glow = std::exp(-r * 3.0f) * 0.45f * energy;
                float rr_c = col.r * bright + flash + shock + glow;
                float gg_c = col.g * bright + flash + shock * 0.8f + glow * 0.5f;
                float bb_c = col.b * bright + flash + shock * 0.6f + glow * 0.15f;
                float edge = smoothstep(0.98f, 0.85f, std::max(std::fabs(u), std::fabs(v)));
                c.add(k * F + x, y, rr_c * edge, gg_c * edge, bb_c * edge);
            }
        if (k >= 1) {
            for (const ember& e : embers) {
                float dist = 0.2f + e.speed * t;
                float cx = (e.dx * dist + 1) * F / 2, cy = (1 - e.dy * dist) * F / 2;
                float b = e.heat * std::pow(1 - t, 1.2f) * 1.2f;
                rgba col = mix(rgba{1, 0.35f, 0.05f, 1}, rgba{1, 0.9f, 0.5f, 1}, e.heat * (1 - t));
                float rad = e.size * F / 2;
                float fx = cx;
                int x0 = int(fx - rad * 3), x1 = int(fx + rad * 3), y0 = int(cy - rad * 3),
                    y1 = int(cy + rad * 3);
                for (int y = std::max(0, y0); y <= std::min(F - 1, y1); ++y)
                    for (int x = std::max(0, x0); x <= std::min(F - 1, x1); ++x) {
                        float d = std::hypot(x + 0.5f - fx, y + 0.5f - cy) / rad;
                        float kk = b * std::exp(-d * d);
                        float edge = (x < 6 || y < 6 || x > F - 7 || y > F - 7) ? 0.0f : 1.0f;
                        c.add(k * F + x, y, col.r * kk * edge, col.g * kk * edge, col.b * kk * edge);
                    }
            }
        }
    }
    return c;
}

CCanvas paint_noise() {
    const int F = 128;
    CCanvas c(F * 3, F);
    CRandom rnd(555);
    for (int f = 0; f < 3; ++f) {
        float band = (0.18f + 0.31f * f) * F;
        for (int y = 0; y < F; ++y) {
            float line = rnd.uniform() < 0.04f ? rnd.uniform(0.05f, 0.12f) : 0.0f;
            for (int x = 0; x < F; ++x) {
                float g = rnd.uniform();
                float a = 0.03f + 0.13f * g * g;
                if (y % 3 == 0)
                    a *= 0.45f;
                a += 0.06f * std::exp(-std::pow((y - band) / 7.0f, 2)) + line;
                float shade_v = 0.6f + 0.4f * g;
                c.over(f * F + x, y, {shade_v, shade_v * 0.93f, shade_v * 0.93f, a});
            }
        }
    }
    return c;
}

namespace {

// The blue status panel, in screen pixels from the top-left corner of the window.
float blue_plate(float x, float y) {
    float box = sd_box(x, y, 79, 65, 71, 51, 10);
    float chamfer = (x + y - 244) * 0.7071f;
    return std::max(box, chamfer);
}

const rgba BLUE_TEAM{0.22f, 0.62f, 1.0f, 1};
const rgba RED_TEAM{1.0f, 0.38f, 0.2f, 1};

// A brushed-metal frame colour, lighter towards the top.
rgba metal(float y, float top, float bottom, const rgba& tint) {
    float k = clamp01((y - top) / (bottom - top));
    rgba light{0.72f, 0.76f, 0.84f, 1}, dark{0.26f, 0.29f, 0.36f, 1};
    rgba m = mix(light, dark, k);
    return mix(m, tint, 0.18f);
}

// A row of gauge segments between x0 and x1 at y0..y1; n segments with the first `lit` bright.
float gauge(float x, float y, float x0, float x1, float y0, float y1, int n, float* which) {
    float w = (x1 - x0) / n;
    int i = static_cast<int>(std::floor((x - x0) / w));
    if (i < 0 || i >= n)
        return 1e9f;
    *which = i / float(n - 1);
    return sd_box(x, y, x0 + (i + 0.5f) * w, (y0 + y1) / 2, w / 2 - 1.5f, (y1 - y0) / 2, 1.0f);
}

}  // namespace

CCanvas paint_left_one() {
    // Drawn 200 x 200 at (-1, H - 189): behind the blue status texts.
    CCanvas c(256, 256);
    const float k = 200.0f / 256;
    for (int row = 0; row < 256; ++row)
        for (int col = 0; col < 256; ++col) {
            float x = -1 + (col + 0.5f) * k, y = -11 + (row + 0.5f) * k;
            float d = blue_plate(x, y);
            CLayers l;
            rgba glass =
                mix(rgba{0.07f, 0.16f, 0.3f, 1}, rgba{0.02f, 0.05f, 0.12f, 1}, clamp01((y - 14) / 102));
            glass.a = (static_cast<int>(y) % 4 == 0) ? 0.7f : 0.78f;
            l.over(glass, cover(d, 1));
            // A header strip and a status bar beside each of the three lines.
            l.over({0.12f, 0.32f, 0.55f, 0.6f}, cover(std::max(d, sd_box(x, y, 79, 24, 80, 5, 0)), 1));
            for (int i = 0; i < 3; ++i)
                l.over(BLUE_TEAM, cover(sd_box(x, y, 17, 48 + 20 * i, 3, 7.5f, 1.5f), 1));
            l.over({0.3f, 0.55f, 0.8f, 0.35f}, cover(std::max(d, std::fabs(y - 106) - 0.6f), 1));
            c.over(col, row, l.straight());
        }
    return c;
}

CCanvas paint_left_two() {
    // Drawn 155 x 145 at (0, H - 148), pulsing: a glow around the blue frame, clear over the texts.
    CCanvas c(256, 256);
    for (int row = 0; row < 256; ++row)
        for (int col = 0; col < 256; ++col) {
            float x = (col + 0.5f) * 155 / 256, y = 3 + (row + 0.5f) * 145 / 256;
            float d = blue_plate(x, y);
            float band = std::max(0.0f, std::fabs(d + 1.5f) - 2.0f);
            float g = std::exp(-band / 5.0f) * (d > 0 ? 1.0f : std::exp(d / 4.0f));
            float edge = smoothstep(155, 148, x) * smoothstep(148, 141, y) * smoothstep(0, 4, x);
            c.over(col, row, {0.45f, 0.85f, 1.0f, 0.95f * g * edge});
        }
    return c;
}

CCanvas paint_left_three() {
    // Drawn 256 x 256 at (-1, H - 239): the blue frame over the texts.
    CCanvas c(256, 256);
    for (int row = 0; row < 256; ++row)
        for (int col = 0; col < 256; ++col) {
            float x = col + 0.5f - 1, y = row + 0.5f - 17;
            float d = blue_plate(x, y);
            float stroke = std::fabs(d + 1.0f) - 2.5f;
            CLayers l;
            l.over({0, 0, 0, 0.6f}, cover(stroke - 1.2f, 1));
            l.over(metal(y, 10, 120, BLUE_TEAM), cover(stroke, 1));
            // Corner brackets in the team colour.
            float corners = 1e9f;
            for (float cx : {8.0f, 150.0f})
                for (float cy : {14.0f, 116.0f}) {
                    if (cx > 100 && cy > 100)
                        continue;  // the chamfered corner gets a bar instead
                    corners = std::min(corners, std::hypot(x - cx, y - cy) - 24);
                }
            float bracket = std::max(std::fabs(d + 1.0f) - 3.5f, corners);
            l.over(BLUE_TEAM, cover(bracket, 1));
            l.over({0.75f, 0.92f, 1.0f, 1}, cover(std::max(bracket, std::fabs(d + 1.0f) - 0.7f), 1));
            // A fin on the right with three vents, and a gauge under the frame.
            float fin = sd_polygon(x, y, {152, 24, 176, 24, 168, 70, 152, 78});
            l.over({0, 0, 0, 0.6f}, cover(fin - 1.2f, 1));
            l.over(metal(y, 20, 80, BLUE_TEAM), cover(fin, 1));
            for (int i = 0; i < 3; ++i)
                l.over({0.05f, 0.1f, 0.2f, 1}, cover(sd_box(x, y, 162 - i * 1.2f, 34 + i * 12, 6, 2, 1), 1));
            float which = 0;
            float g = gauge(x, y, 12, 118, 124, 131, 9, &which);
            l.over({0, 0, 0, 0.5f}, cover(g - 1, 1));
            l.over(mix(BLUE_TEAM, rgba{0.7f, 0.95f, 1.0f, 1}, 1 - which), cover(g, 1));
            c.over(col, row, l.straight());
        }
    return c;
}

CCanvas paint_hud_right() {
    // Drawn 256 x 256 at (W - 254, H - 240) over the red panel: a clear window over the box
    // (W - 194 .. W - 29, H - 105 .. H) where the texts and the static show.
    CCanvas c(256, 256);
    for (int row = 0; row < 256; ++row)
        for (int col = 0; col < 256; ++col) {
            float x = 254 - (col + 0.5f), y = row + 0.5f - 16;  // x from the right edge, y from the top
            float win = sd_box(x, y, 111.5f, 46, 82.5f, 59, 4);
            float stroke = std::fabs(win - 3.5f) - 3.5f;
            CLayers l;
            float fin = sd_polygon(x, y, {196, -16, 244, -16, 244, 36, 212, 92, 196, 100});
            l.over({0, 0, 0, 0.6f}, cover(fin - 1.2f, 1));
            rgba fin_col = metal(y, -10, 100, RED_TEAM);
            float stripes = std::fmod(std::fabs(x + y), 14.0f) < 7 ? 1.0f : 0.0f;
            float hazard = sd_box(x, y, 220, 16, 18, 10, 2);
            l.over(fin_col, cover(fin, 1));
            l.over(mix(rgba{0.15f, 0.03f, 0.02f, 1}, RED_TEAM, stripes), cover(std::max(hazard, fin + 3), 1));
            for (int i = 0; i < 3; ++i)
                l.over({0.1f, 0.02f, 0.02f, 1}, cover(sd_box(x, y, 214, 46 + i * 12, 9, 2, 1), 1));
            l.over({0, 0, 0, 0.6f}, cover(stroke - 1.2f, 1));
            l.over(metal(y, -10, 110, RED_TEAM), cover(stroke, 1));
            float corners = 1e9f;
            for (float cx : {29.0f, 194.0f})
                corners = std::min(corners, std::hypot(x - cx, y - 105) - 26);
            float bracket = std::max(std::fabs(win - 4.5f) - 4.5f, corners);
            l.over(RED_TEAM, cover(bracket, 1));
            l.over({1.0f, 0.85f, 0.7f, 1}, cover(std::max(bracket, std::fabs(win - 3.5f) - 0.7f), 1));
            float which = 0;
            float g = gauge(x, y, 44, 194, 118, 125, 12, &which);
            l.over({0, 0, 0, 0.5f}, cover(g - 1, 1));
            l.over(mix(RED_TEAM, rgba{1.0f, 0.85f, 0.55f, 1}, which), cover(g, 1));
            c.over(col, row, l.straight());
        }
    return c;
}

}  // namespace art
