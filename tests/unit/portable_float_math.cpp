// The browser's sine, cosine and arc tangent against the desktop's C library, whose results the
// committed recordings hold: bit for bit over a spread of every kind of float, and densely where the
// board's angles lie. The system chooses its fused multiply-add sine and cosine on processors that have
// the instruction, as the machine that made the recordings did.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>

#include "general/portable_float_math.h"
#include "needs.h"

namespace {

float float_of(std::uint32_t u) {
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

// Equal bits, or both NaN (whose payload the targets set differently).
bool same(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

template <typename F, typename G>
long differences(F ours, G system, std::uint64_t stride, std::uint32_t from, std::uint32_t to) {
    long differ = 0;
    for (std::uint64_t u = from; u <= to; u += stride) {
        const float x = float_of(static_cast<std::uint32_t>(u));
        if (!same(ours(x), system(x)) && differ++ < 3)
            ADD_FAILURE() << std::hexfloat << x << ": " << ours(x) << " here, " << system(x)
                          << " in the system's";
    }
    return differ;
}

// Every 97th bit pattern of each sign, and every float of the board's angles (0.5 to 8, either sign) at
// a finer step.
template <typename F, typename G>
void compare_everywhere(F ours, G system) {
    EXPECT_EQ(differences(ours, system, 97, 0, 0xffffffffu), 0);
    for (std::uint32_t sign : {0u, 0x80000000u})
        EXPECT_EQ(differences(ours, system, 5, sign | 0x3f000000u, sign | 0x41000000u), 0);
}

bool fused_multiply_add() {
#if defined(__x86_64__)
    return __builtin_cpu_supports("fma");
#else
    return false;
#endif
}

TEST(PortableFloatMath, SineAndCosineAreTheSystemsBitForBit) {
    NEEDS(fused_multiply_add(),
          "an x86-64 processor with fused multiply-add (the system then computes differently)");
    compare_everywhere(portable_sinf, [](float x) { return std::sin(x); });
    compare_everywhere(portable_cosf, [](float x) { return std::cos(x); });
}

TEST(PortableFloatMath, ArcTangentIsTheSystemsBitForBit) {
    compare_everywhere(portable_atanf, [](float x) { return std::atan(x); });
    std::mt19937 dice(11);
    std::uniform_real_distribution<float> board(-40, 40);
    long differ = 0;
    for (int i = 0; i < 4000000; ++i) {
        // Any two bit patterns (infinities, zeros, tiny and huge ratios), and velocities as on the board.
        const bool any = i % 2 == 0;
        const float y = any ? float_of(dice()) : board(dice) / 64;
        const float x = any ? float_of(dice()) : board(dice) / 64;
        if (!same(portable_atan2f(y, x), std::atan2(y, x)) && differ++ < 3)
            ADD_FAILURE() << std::hexfloat << "atan2(" << y << ", " << x << ")";
    }
    EXPECT_EQ(differ, 0);
    for (float y : {0.0f, -0.0f, INFINITY, -INFINITY, 1.0f, -1.0f})
        for (float x : {0.0f, -0.0f, INFINITY, -INFINITY, 1.0f, -1.0f})
            EXPECT_TRUE(same(portable_atan2f(y, x), std::atan2(y, x))) << y << ", " << x;
}

}  // namespace
