// The algorithms are those of the system's C library: sine and cosine after Arm's optimized-routines
// (Copyright (c) 2018 Arm Limited, MIT licence), the arc tangent after fdlibm (Copyright (C) 1993 Sun
// Microsystems, "Permission to use, copy, modify, and distribute this software is freely granted,
// provided that this notice is preserved"). Where that library's fast build fuses a multiply and an add,
// std::fma does here; nothing else may be fused (the build compiles this file with -ffp-contract=off).
#include "general/portable_float_math.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

std::uint32_t bits_of(float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

float float_of(std::uint32_t u) {
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

// Sine and cosine: the argument in double, reduced by multiples of pi / 2, then one of two polynomials.
struct sincos_table {
    double sign[4];
    double hpi_inv;  // 2 / pi, times 2^24 for the reduction's integer rounding
    double hpi;      // pi / 2
    double c0, c1, c2, c3, c4, s1, s2, s3;
};
// The second table gives -cos, so that the quadrant's sign costs nothing.
const sincos_table SINCOS[2] = {{{1.0, -1.0, -1.0, 1.0},
                                 0x1.45F306DC9C883p+23,
                                 0x1.921FB54442D18p0,
                                 0x1p0,
                                 -0x1.ffffffd0c621cp-2,
                                 0x1.55553e1068f19p-5,
                                 -0x1.6c087e89a359dp-10,
                                 0x1.99343027bf8c3p-16,
                                 -0x1.555545995a603p-3,
                                 0x1.1107605230bc4p-7,
                                 -0x1.994eb3774cf24p-13},
                                {{1.0, -1.0, -1.0, 1.0},
                                 0x1.45F306DC9C883p+23,
                                 0x1.921FB54442D18p0,
                                 -0x1p0,
                                 0x1.ffffffd0c621cp-2,
                                 -0x1.55553e1068f19p-5,
                                 0x1.6c087e89a359dp-10,
                                 -0x1.99343027bf8c3p-16,
                                 -0x1.555545995a603p-3,
                                 0x1.1107605230bc4p-7,
                                 -0x1.994eb3774cf24p-13}};
// 4 / pi in overlapping 32-bit windows, 8 new bits each, for arguments of 120 and more.
const std::uint32_t INV_PIO4[24] = {0xa2,       0xa2f9,     0xa2f983,   0xa2f9836e, 0xf9836e4e, 0x836e4e44,
                                    0x6e4e4415, 0x4e441529, 0x441529fc, 0x1529fc27, 0x29fc2757, 0xfc2757d1,
                                    0x2757d1f5, 0x57d1f534, 0xd1f534dd, 0xf534ddc0, 0x34ddc0db, 0xddc0db62,
                                    0xc0db6295, 0xdb629599, 0x6295993c, 0x95993c43, 0x993c4390, 0x3c439041};
constexpr double PI_TIMES_2_TO_MINUS_62 = 0x1.921FB54442D18p-62;
constexpr float PI_OVER_4 = 0x1.921FB6p-1f;

std::uint32_t top12(float x) {
    return (bits_of(x) >> 20) & 0x7ff;
}

// Odd n: the cosine polynomial, even: the sine's.
float polynomial(double x, double x2, const sincos_table* p, int n) {
    if ((n & 1) == 0) {
        const double x3 = x * x2;
        const double s1 = std::fma(x2, p->s3, p->s2);
        const double x7 = x3 * x2;
        const double s = std::fma(x3, p->s1, x);
        return static_cast<float>(std::fma(x7, s1, s));
    }
    const double x4 = x2 * x2;
    const double c2 = std::fma(x2, p->c4, p->c3);
    const double c1 = std::fma(x2, p->c1, p->c0);
    const double x6 = x4 * x2;
    const double c = std::fma(x4, p->c2, c1);
    return static_cast<float>(std::fma(x6, c2, c));
}

double reduce_small(double x, const sincos_table* p, int& n) {
    const double r = x * p->hpi_inv;
    n = (static_cast<std::int32_t>(r) + 0x800000) >> 24;
    return std::fma(-static_cast<double>(n), p->hpi, x);
}

double reduce_large(std::uint32_t xi, int& n) {
    const std::uint32_t* window = &INV_PIO4[(xi >> 26) & 15];
    const int shift = (xi >> 23) & 7;
    xi = (xi & 0xffffff) | 0x800000;
    xi <<= shift;
    std::uint64_t r0 = static_cast<std::uint32_t>(xi * window[0]);
    const std::uint64_t r1 = static_cast<std::uint64_t>(xi) * window[4];
    const std::uint64_t r2 = static_cast<std::uint64_t>(xi) * window[8];
    r0 = (r2 >> 32) | (r0 << 32);
    r0 += r1;
    const std::uint64_t quadrant = (r0 + (1ULL << 61)) >> 62;
    r0 -= quadrant << 62;
    n = static_cast<int>(quadrant);
    return static_cast<double>(static_cast<std::int64_t>(r0)) * PI_TIMES_2_TO_MINUS_62;
}

float sine_or_cosine(float y, int cosine) {
    double x = y;
    const sincos_table* p = &SINCOS[0];
    int n = 0;
    if (top12(y) < top12(PI_OVER_4)) {
        if (top12(y) < top12(0x1p-12f))
            return cosine ? 1.0f : y;
        return polynomial(x, x * x, p, cosine);
    }
    if (top12(y) < top12(120.0f)) {
        x = reduce_small(x, p, n);
        const double s = p->sign[n & 3];
        if (n & 2)
            p = &SINCOS[1];
        return polynomial(x * s, x * x, p, n ^ cosine);
    }
    if (top12(y) < top12(INFINITY)) {
        const std::uint32_t xi = bits_of(y);
        const int sign = static_cast<int>(xi >> 31);
        x = reduce_large(xi, n);
        const double s = p->sign[(n + sign) & 3];
        if ((n + sign) & 2)
            p = &SINCOS[1];
        return polynomial(x * s, x * x, p, n ^ cosine);
    }
    return (y - y) / (y - y);
}

// The arc tangent: reduced around 0, 0.5, 1, 1.5 or infinity, then an 11-term odd polynomial.
const float ATAN_HI[] = {4.6364760399e-01f, 7.8539812565e-01f, 9.8279368877e-01f, 1.5707962513e+00f};
const float ATAN_LO[] = {5.0121582440e-09f, 3.7748947079e-08f, 3.4473217170e-08f, 7.5497894159e-08f};
const float ATAN_POLY[] = {3.3333334327e-01f, -2.0000000298e-01f, 1.4285714924e-01f, -1.1111110449e-01f,
                           9.0908870101e-02f, -7.6918758452e-02f, 6.6610731184e-02f, -5.8335702866e-02f,
                           4.9768779427e-02f, -3.6531571299e-02f, 1.6285819933e-02f};

}  // namespace

float portable_sinf(float x) {
    return sine_or_cosine(x, 0);
}

float portable_cosf(float x) {
    return sine_or_cosine(x, 1);
}

float portable_atanf(float x) {
    const std::int32_t hx = static_cast<std::int32_t>(bits_of(x));
    const std::int32_t ix = hx & 0x7fffffff;
    int id = -1;
    if (ix >= 0x4c000000) {  // |x| >= 2^25
        if (ix > 0x7f800000)
            return x + x;
        return hx > 0 ? ATAN_HI[3] + ATAN_LO[3] : -ATAN_HI[3] - ATAN_LO[3];
    }
    if (ix < 0x3ee00000) {  // |x| < 0.4375
        if (ix < 0x31000000)
            return x;
    } else {
        x = std::fabs(x);
        if (ix < 0x3f300000) {  // |x| < 11/16
            id = 0;
            x = (2.0f * x - 1.0f) / (2.0f + x);
        } else if (ix < 0x3f980000) {  // |x| < 19/16
            id = 1;
            x = (x - 1.0f) / (x + 1.0f);
        } else if (ix < 0x401c0000) {  // |x| < 2.4375
            id = 2;
            x = (x - 1.5f) / (1.0f + 1.5f * x);
        } else {
            id = 3;
            x = -1.0f / x;
        }
    }
    const float* a = ATAN_POLY;
    const float z = x * x;
    const float w = z * z;
    const float odd = z * (a[0] + w * (a[2] + w * (a[4] + w * (a[6] + w * (a[8] + w * a[10])))));
    const float even = w * (a[1] + w * (a[3] + w * (a[5] + w * (a[7] + w * a[9]))));
    if (id < 0)
        return x - x * (odd + even);
    const float r = ATAN_HI[id] - ((x * (odd + even) - ATAN_LO[id]) - x);
    return hx < 0 ? -r : r;
}

float portable_atan2f(float y, float x) {
    const float tiny = 1.0e-30f, pi_o_4 = 7.8539818525e-01f, pi_o_2 = 1.5707963705e+00f,
                pi = 3.1415927410e+00f, pi_lo = -8.7422776573e-08f;
    const std::int32_t hx = static_cast<std::int32_t>(bits_of(x)), ix = hx & 0x7fffffff;
    const std::int32_t hy = static_cast<std::int32_t>(bits_of(y)), iy = hy & 0x7fffffff;
    if (ix > 0x7f800000 || iy > 0x7f800000)
        return x + y;
    if (hx == 0x3f800000)
        return portable_atanf(y);
    // The quadrant: 2 * sign(x) + sign(y).
    const int m = ((hy >> 31) & 1) | ((hx >> 30) & 2);
    if (iy == 0) {
        if (m < 2)
            return y;
        return m == 2 ? pi + tiny : -pi - tiny;
    }
    if (ix == 0)
        return hy < 0 ? -pi_o_2 - tiny : pi_o_2 + tiny;
    if (ix == 0x7f800000) {
        if (iy == 0x7f800000) {
            const float corner[4] = {pi_o_4 + tiny, -pi_o_4 - tiny, 3.0f * pi_o_4 + tiny,
                                     -3.0f * pi_o_4 - tiny};
            return corner[m];
        }
        const float side[4] = {0.0f, -0.0f, pi + tiny, -pi - tiny};
        return side[m];
    }
    if (iy == 0x7f800000)
        return hy < 0 ? -pi_o_2 - tiny : pi_o_2 + tiny;
    const int k = (iy - ix) >> 23;
    float z;
    if (k > 60)
        z = pi_o_2 + 0.5f * pi_lo;
    else if (hx < 0 && k < -60)
        z = 0.0f;
    else
        z = portable_atanf(std::fabs(y / x));
    switch (m) {
        case 0:
            return z;
        case 1:
            return float_of(bits_of(z) ^ 0x80000000u);
        case 2:
            return pi - (z - pi_lo);
        default:
            return (z - pi_lo) - pi;
    }
}
