#include "canvas.h"

#include <algorithm>

namespace art {

float sd_circle(float x, float y, float cx, float cy, float r) {
    return std::hypot(x - cx, y - cy) - r;
}

float sd_box(float x, float y, float cx, float cy, float hw, float hh, float rad) {
    float qx = std::fabs(x - cx) - (hw - rad);
    float qy = std::fabs(y - cy) - (hh - rad);
    float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - rad;
}

float sd_segment(float x, float y, float ax, float ay, float bx, float by, float radius) {
    float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    float len2 = dx * dx + dy * dy;
    float t = len2 > 0 ? clamp01((px * dx + py * dy) / len2) : 0;
    return std::hypot(px - dx * t, py - dy * t) - radius;
}

float sd_polygon(float x, float y, const std::vector<float>& xy) {
    size_t n = xy.size() / 2;
    float d = 1e30f;
    bool inside = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        float ax = xy[2 * j], ay = xy[2 * j + 1], bx = xy[2 * i], by = xy[2 * i + 1];
        d = std::min(d, sd_segment(x, y, ax, ay, bx, by, 0));
        if ((ay > y) != (by > y) && x < (bx - ax) * (y - ay) / (by - ay) + ax)
            inside = !inside;
    }
    return inside ? -d : d;
}

uint64_t CRandom::next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float CRandom::uniform(float lo, float hi) {
    return lo + (hi - lo) * static_cast<float>((next() >> 40) * (1.0 / 16777216.0));
}

namespace {

float lattice(int x, int y, int z, uint32_t seed) {
    uint32_t h = seed * 0x27d4eb2du;
    h ^= static_cast<uint32_t>(x) * 0x85ebca6bu;
    h = (h ^ (h >> 13)) * 0xc2b2ae35u;
    h ^= static_cast<uint32_t>(y) * 0x165667b1u;
    h = (h ^ (h >> 16)) * 0x85ebca6bu;
    h ^= static_cast<uint32_t>(z) * 0x9e3779b1u;
    h = (h ^ (h >> 15)) * 0x2c1b3c6du;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / 16777215.0f;
}

float fade(float t) {
    return t * t * t * (t * (t * 6 - 15) + 10);
}

}  // namespace

float value_noise(float x, float y, float z, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
    float tx = fade(x - fx), ty = fade(y - fy), tz = fade(z - fz);
    float c[2][2][2];
    for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b)
            for (int d = 0; d < 2; ++d)
                c[a][b][d] = lattice(ix + a, iy + b, iz + d, seed);
    float x00 = mix(c[0][0][0], c[1][0][0], tx), x10 = mix(c[0][1][0], c[1][1][0], tx);
    float x01 = mix(c[0][0][1], c[1][0][1], tx), x11 = mix(c[0][1][1], c[1][1][1], tx);
    return mix(mix(x00, x10, ty), mix(x01, x11, ty), tz);
}

float fbm(float x, float y, float z, int octaves, uint32_t seed) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * value_noise(x, y, z, seed + static_cast<uint32_t>(i) * 131u);
        norm += amp;
        x = x * 2.03f + 17.1f;
        y = y * 2.03f + 3.7f;
        z = z * 2.03f + 9.3f;
        amp *= 0.5f;
    }
    return sum / norm;
}

CCanvas::CCanvas(int w, int h) : w_(w), h_(h), p_(static_cast<size_t>(w) * h * 4, 0.0f) {}

void CCanvas::over(int x, int y, const rgba& c) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_)
        return;
    float a = clamp01(c.a);
    float* p = at(x, y);
    p[0] = c.r * a + p[0] * (1 - a);
    p[1] = c.g * a + p[1] * (1 - a);
    p[2] = c.b * a + p[2] * (1 - a);
    p[3] = a + p[3] * (1 - a);
}

void CCanvas::add(int x, int y, float r, float g, float b) {
    if (x < 0 || y < 0 || x >= w_ || y >= h_)
        return;
    float* p = at(x, y);
    p[0] += r;
    p[1] += g;
    p[2] += b;
}

void CCanvas::paint(const std::function<rgba(float, float, float)>& fn) {
    float px = 2.0f / w_;
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            float u = (x + 0.5f) / w_ * 2 - 1;
            float v = 1 - (y + 0.5f) / h_ * 2;
            over(x, y, fn(u, v, px));
        }
}

void CCanvas::blit(const CCanvas& src, int ox, int oy, float scale) {
    int dw = std::max(1, static_cast<int>(src.w_ * scale + 0.5f));
    int dh = std::max(1, static_cast<int>(src.h_ * scale + 0.5f));
    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x) {
            int x0 = x * src.w_ / dw, x1 = std::max(x0 + 1, (x + 1) * src.w_ / dw);
            int y0 = y * src.h_ / dh, y1 = std::max(y0 + 1, (y + 1) * src.h_ / dh);
            float s[4] = {0, 0, 0, 0};
            for (int sy = y0; sy < y1; ++sy)
                for (int sx = x0; sx < x1; ++sx)
                    for (int k = 0; k < 4; ++k)
                        s[k] += src.at(sx, sy)[k];
            float n = static_cast<float>((x1 - x0) * (y1 - y0));
            int tx = ox + x, ty = oy + y;
            if (tx < 0 || ty < 0 || tx >= w_ || ty >= h_)
                continue;
            float* p = at(tx, ty);
            float a = clamp01(s[3] / n);
            for (int k = 0; k < 3; ++k)
                p[k] = s[k] / n + p[k] * (1 - a);
            p[3] = a + p[3] * (1 - a);
        }
}

rgba_image CCanvas::image() const {
    rgba_image img(w_, h_);
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            const float* p = at(x, y);
            uint8_t* q = img.at(x, y);
            float a = clamp01(p[3]);
            for (int k = 0; k < 3; ++k) {
                float c = a > 0 ? clamp01(p[k] / a) : 0.0f;
                q[k] = static_cast<uint8_t>(std::lround(c * 255));
            }
            q[3] = static_cast<uint8_t>(std::lround(a * 255));
        }
    return img;
}

CCanvas CCanvas::from_image(const rgba_image& img) {
    CCanvas c(img.width, img.height);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const uint8_t* q = &img.pixels[(static_cast<size_t>(y) * img.width + x) * 4];
            float a = q[3] / 255.0f;
            float* p = c.at(x, y);
            for (int k = 0; k < 3; ++k)
                p[k] = q[k] / 255.0f * a;
            p[3] = a;
        }
    return c;
}

void blur(std::vector<float>& buf, int w, int h, int rx, int ry, int passes) {
    std::vector<float> tmp(buf.size());
    for (int pass = 0; pass < passes; ++pass) {
        if (rx > 0) {
            for (int y = 0; y < h; ++y) {
                float sum = 0;
                const float* row = &buf[static_cast<size_t>(y) * w];
                for (int x = -rx; x <= rx; ++x)
                    sum += (x >= 0 && x < w) ? row[x] : 0;
                for (int x = 0; x < w; ++x) {
                    tmp[static_cast<size_t>(y) * w + x] = sum / (2 * rx + 1);
                    int out = x - rx, in = x + rx + 1;
                    if (out >= 0)
                        sum -= row[out];
                    if (in < w)
                        sum += row[in];
                }
            }
            buf.swap(tmp);
        }
        if (ry > 0) {
            for (int x = 0; x < w; ++x) {
                float sum = 0;
                for (int y = -ry; y <= ry; ++y)
                    sum += (y >= 0 && y < h) ? buf[static_cast<size_t>(y) * w + x] : 0;
                for (int y = 0; y < h; ++y) {
                    tmp[static_cast<size_t>(y) * w + x] = sum / (2 * ry + 1);
                    int out = y - ry, in = y + ry + 1;
                    if (out >= 0)
                        sum -= buf[static_cast<size_t>(out) * w + x];
                    if (in < h)
                        sum += buf[static_cast<size_t>(in) * w + x];
                }
            }
            buf.swap(tmp);
        }
    }
}

}  // namespace art
