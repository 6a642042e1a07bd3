#include "server/datagram_queue.h"

#include <cstring>
#include <new>

namespace {

// What the allocator keeps beside each block.
constexpr std::size_t ALLOCATION_OVERHEAD = 16;

}  // namespace

void CDatagramQueue::charge_to(queue_budget* shared, std::size_t limit, std::size_t headroom) {
    shared_ = shared;
    limit_ = limit;
    headroom_ = headroom;
}

std::size_t CDatagramQueue::cost(std::size_t size) const {
    return sizeof(node) + headroom_ + size + ALLOCATION_OVERHEAD;
}

bool CDatagramQueue::push(const std::uint8_t* data, std::size_t size) {
    const std::size_t c = cost(size);
    if (shared_ == nullptr || bytes_ + c > limit_ || shared_->used + c > shared_->limit)
        return false;
    auto* block = static_cast<std::uint8_t*>(::operator new(sizeof(node) + headroom_ + size, std::nothrow));
    if (block == nullptr)
        return false;
    node* n = new (block) node{nullptr, size};
    if (size > 0)
        std::memcpy(block + sizeof(node) + headroom_, data, size);
    (tail_ != nullptr ? tail_->next : head_) = n;
    tail_ = n;
    bytes_ += c;
    shared_->used += c;
    return true;
}

std::uint8_t* CDatagramQueue::front(std::size_t& size) const {
    size = head_->size;
    return reinterpret_cast<std::uint8_t*>(head_) + sizeof(node) + headroom_;
}

void CDatagramQueue::pop() {
    node* n = head_;
    head_ = n->next;
    if (head_ == nullptr)
        tail_ = nullptr;
    const std::size_t c = cost(n->size);
    bytes_ -= c;
    shared_->used -= c;
    n->~node();
    ::operator delete(n);
}

void CDatagramQueue::clear() {
    while (head_ != nullptr)
        pop();
}
