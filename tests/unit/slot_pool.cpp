// Pooled memory for particles and their list nodes: slots come back in the order they were given
// back, so particles made and retired in list order keep list order in memory.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <set>
#include <vector>

#include "general/particle.h"
#include "general/slot_pool.h"

namespace {

TEST(SlotPool, FreshSlotsAreDistinctAlignedAndInAddressOrder) {
    CSlotPool pool(40);
    EXPECT_EQ(pool.slot_size() % alignof(std::max_align_t), 0u);
    EXPECT_GE(pool.slot_size(), 40u);
    std::set<void*> seen;
    unsigned char* last = nullptr;
    int in_order = 0;
    // Enough to need several blocks.
    for (int i = 0; i < 10000; ++i) {
        unsigned char* p = static_cast<unsigned char*>(pool.take());
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % alignof(std::max_align_t), 0u);
        EXPECT_TRUE(seen.insert(p).second) << "slot handed out twice";
        in_order += last != nullptr && p == last + pool.slot_size();
        last = p;
    }
    // Only the first slot of each new block may jump.
    EXPECT_GT(in_order, 9990);
}

TEST(SlotPool, SlotsComeBackOldestFirst) {
    CSlotPool pool(sizeof(double));
    std::vector<void*> slots;
    for (int i = 0; i < 6; ++i)
        slots.push_back(pool.take());
    for (int i : {3, 1, 4, 5})
        pool.give_back(slots[i]);
    EXPECT_EQ(pool.in_use(), 2u);
    EXPECT_EQ(pool.take(), slots[3]);
    EXPECT_EQ(pool.take(), slots[1]);
    pool.give_back(slots[0]);
    EXPECT_EQ(pool.take(), slots[4]);
    EXPECT_EQ(pool.take(), slots[5]);
    EXPECT_EQ(pool.take(), slots[0]);
    // The given-back slots are used up: a fresh one follows the last slot ever taken.
    EXPECT_EQ(pool.take(), static_cast<unsigned char*>(slots[5]) + pool.slot_size());
}

class Bigger : public CParticle {
  public:
    Bigger() : CParticle(0, 0, 1) {}
    double extra[8] = {};
};

TEST(ParticlePool, ParticlesRetiredInListOrderAreRemadeInTheSameOrder) {
    const size_t before = particles.size();
    auto make = [] {
        std::vector<CParticle*> made;
        for (int i = 0; i < 500; ++i)
            made.push_back(new CParticle(static_cast<float>(i), 0, 1));
        return made;
    };
    auto retire = [&] {
        while (particles.size() > before) {
            auto last = std::prev(particles.end(), static_cast<long>(particles.size() - before));
            delete *last;
            particles.erase(last);
        }
    };
    const size_t undeleted = CParticle::undeleted();
    const std::vector<CParticle*> first = make();
    EXPECT_EQ(CParticle::undeleted(), undeleted + 500);
    // Neighbours in the list are neighbours in memory, and so are their list entries.
    for (size_t i = 1; i < first.size(); ++i)
        EXPECT_GT(first[i], first[i - 1]);
    retire();
    const std::vector<CParticle*> second = make();
    EXPECT_EQ(first, second);
    const CParticle* const* previous = nullptr;
    long step = 0;
    int steady = 0;
    for (auto i = std::next(particles.begin(), static_cast<long>(before)); i != particles.end(); ++i) {
        const CParticle* const* entry = &*i;
        if (previous != nullptr) {
            const long gap = reinterpret_cast<const char*>(entry) - reinterpret_cast<const char*>(previous);
            steady += gap == step;
            step = gap;
        }
        previous = entry;
    }
    EXPECT_GT(steady, 490);
    EXPECT_GT(step, 0);
    retire();
    EXPECT_EQ(CParticle::undeleted(), undeleted);

    // A subclass with fields of its own lives outside the pool and is given back where it came from.
    CParticle* big = new Bigger();
    EXPECT_EQ(particles.back(), big);
    particles.pop_back();
    delete big;
    EXPECT_EQ(particles.size(), before);
}

}  // namespace
