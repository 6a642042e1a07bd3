#pragma once

// Datagrams waiting to go out on one connection, oldest first, each with room before it for the
// transport's own header. Every datagram is charged its bytes and what keeping it costs, to the
// queue and to a budget that all queues share, and a datagram that would go over either is refused:
// a reader that does not keep up loses datagrams, as it would on UDP, and costs the server no more
// than its share.
#include <cstddef>
#include <cstdint>

struct queue_budget {
    std::size_t limit = 0;
    std::size_t used = 0;
};

class CDatagramQueue {
  public:
    CDatagramQueue() = default;
    ~CDatagramQueue() { clear(); }
    CDatagramQueue(const CDatagramQueue&) = delete;
    CDatagramQueue& operator=(const CDatagramQueue&) = delete;

    // Sets where the queue charges its datagrams, and its own limit; only while it is empty.
    void charge_to(queue_budget* shared, std::size_t limit, std::size_t headroom);
    // False, keeping nothing, when the datagram would go over this queue's limit or the shared budget.
    bool push(const std::uint8_t* data, std::size_t size);
    bool empty() const { return head_ == nullptr; }
    // The oldest datagram, with `headroom` writable bytes before `data`.
    std::uint8_t* front(std::size_t& size) const;
    void pop();
    void clear();
    std::size_t bytes() const { return bytes_; }

  private:
    struct node {
        node* next;
        std::size_t size;
    };
    std::size_t cost(std::size_t size) const;

    node* head_ = nullptr;
    node* tail_ = nullptr;
    std::size_t bytes_ = 0;
    std::size_t limit_ = 0;
    std::size_t headroom_ = 0;
    queue_budget* shared_ = nullptr;
};
