#include "general/slot_pool.h"

// Under AddressSanitizer a slot that is given back is poisoned, so a use after delete is still caught.
#if defined(__SANITIZE_ADDRESS__)
#define POOL_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define POOL_UNDER_ASAN 1
#endif
#endif
#if defined(POOL_UNDER_ASAN)
#include <sanitizer/asan_interface.h>
#define POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define POISON(p, n) ((void)(p), (void)(n))
#define UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

constexpr std::size_t SLOTS_PER_BLOCK = 4096;

std::size_t slot_size_for(std::size_t n) {
    const std::size_t align = alignof(std::max_align_t);
    if (n < sizeof(void*))
        n = sizeof(void*);
    return (n + align - 1) / align * align;
}

}  // namespace

CSlotPool::CSlotPool(std::size_t slot_size) : size(slot_size_for(slot_size)) {}

void* CSlotPool::take() {
    ++used;
    if (oldest != nullptr) {
        free_slot* slot = oldest;
        UNPOISON(slot, size);
        oldest = slot->next;
        if (oldest == nullptr)
            newest = nullptr;
        return slot;
    }
    if (fresh == fresh_end) {
        blocks.emplace_back(new unsigned char[size * SLOTS_PER_BLOCK]);
        fresh = blocks.back().get();
        fresh_end = fresh + size * SLOTS_PER_BLOCK;
        POISON(fresh, size * SLOTS_PER_BLOCK);
    }
    void* slot = fresh;
    fresh += size;
    UNPOISON(slot, size);
    return slot;
}

void CSlotPool::give_back(void* slot) {
    --used;
    free_slot* s = static_cast<free_slot*>(slot);
    s->next = nullptr;
    if (newest != nullptr) {
        UNPOISON(newest, sizeof(free_slot));
        newest->next = s;
        POISON(newest, size);
    } else {
        oldest = s;
    }
    newest = s;
    POISON(s, size);
}
