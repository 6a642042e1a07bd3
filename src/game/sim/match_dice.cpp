#include "game/sim/match_dice.h"

void CMatchDice::reseed(std::uint32_t seed) {
    // A zero seed would leave the table all zero; the C library takes 1 instead.
    if (seed == 0)
        seed = 1;
    std::int32_t word = static_cast<std::int32_t>(seed);
    table[0] = word;
    for (int i = 1; i < DEGREE; ++i) {
        // 16807 * word mod (2^31 - 1) without overflowing 32 bits (Schrage's method).
        const std::int32_t hi = word / 127773;
        const std::int32_t lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0)
            word += 2147483647;
        table[i] = word;
    }
    front = SEPARATION;
    rear = 0;
    // The first ten rounds of the table are thrown away, as the library does.
    for (int i = 0; i < 10 * DEGREE; ++i)
        next();
}

int CMatchDice::next() {
    // Wrapping unsigned sum: the library adds 32-bit words and keeps the low 32 bits.
    const std::uint32_t sum =
        static_cast<std::uint32_t>(table[front]) + static_cast<std::uint32_t>(table[rear]);
    table[front] = static_cast<std::int32_t>(sum);
    const int result = static_cast<int>(sum >> 1);
    front = front + 1 == DEGREE ? 0 : front + 1;
    rear = rear + 1 == DEGREE ? 0 : rear + 1;
    return result;
}

bool CMatchDice::operator==(const CMatchDice& other) const {
    if (front != other.front || rear != other.rear)
        return false;
    for (int i = 0; i < DEGREE; ++i)
        if (table[i] != other.table[i])
            return false;
    return true;
}
