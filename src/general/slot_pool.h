#pragma once

#include <cstddef>
#include <memory>
#include <vector>

// Memory for many objects of one size. Slots come from large blocks and are handed out again in the
// order they were given back, so objects made one after another, and retired in the same order, stay
// one after another in memory and a walk over them reads memory in order.
class CSlotPool {
  public:
    explicit CSlotPool(std::size_t slot_size);
    CSlotPool(const CSlotPool&) = delete;
    CSlotPool& operator=(const CSlotPool&) = delete;

    std::size_t slot_size() const { return size; }
    // Slots taken and not given back. The blocks stay reachable, so a leak checker cannot see an object
    // that was never given back: count them instead.
    std::size_t in_use() const { return used; }
    void* take();
    // `slot` came from take() and is not used any more.
    void give_back(void* slot);

  private:
    struct free_slot {
        free_slot* next;
    };
    std::size_t size;
    std::size_t used = 0;
    std::vector<std::unique_ptr<unsigned char[]>> blocks;
    unsigned char* fresh = nullptr;  // never handed out yet, up to fresh_end
    unsigned char* fresh_end = nullptr;
    free_slot* oldest = nullptr;  // given back, oldest first
    free_slot* newest = nullptr;
};

// A standard allocator that takes single objects from one pool per type, for node-based containers
// such as std::list. Every instance shares the pool, so lists can splice between each other.
template <class T>
class CSlotAllocator {
  public:
    using value_type = T;

    CSlotAllocator() = default;
    template <class U>
    CSlotAllocator(const CSlotAllocator<U>&) {}

    T* allocate(std::size_t n) {
        if (n != 1)
            return std::allocator<T>().allocate(n);
        return static_cast<T*>(pool().take());
    }
    void deallocate(T* p, std::size_t n) {
        if (n != 1)
            std::allocator<T>().deallocate(p, n);
        else
            pool().give_back(p);
    }

    template <class U>
    bool operator==(const CSlotAllocator<U>&) const {
        return true;
    }
    template <class U>
    bool operator!=(const CSlotAllocator<U>&) const {
        return false;
    }

  private:
    // Never destroyed: containers that outlive main's end still give their nodes back.
    static CSlotPool& pool() {
        static CSlotPool* shared = new CSlotPool(sizeof(T));
        return *shared;
    }
};
