#include "server/event_log.h"

#include <limits.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdio>

namespace {

constexpr std::size_t LONGEST_LINE = 512;
constexpr int WAIT_MS = 50;  // the longest a write waits for a reader, so that a stop is seen

const char* summary_noun(log_topic topic) {
    switch (topic) {
        case log_topic::REGISTERED:
            return "registrations";
        case log_topic::UNREGISTERED:
            return "codes given up";
        case log_topic::EXPIRED:
            return "codes expired";
        case log_topic::INTRODUCED:
            return "introductions";
        case log_topic::RELAY_STARTED:
            return "relays started";
        case log_topic::RELAY_ENDED:
            return "relays ended";
        case log_topic::REFUSED:
            return "refusals";
        case log_topic::OTHER_VERSION:
            return "refusals of another version";
        case log_topic::SUMMARY:
        case log_topic::COUNT:
            break;
    }
    return "events";
}

}  // namespace

CEventLog::CEventLog(int fd, std::uint32_t lines_per_second, std::size_t buffer_bytes)
    : fd_(fd), per_second_(lines_per_second), buffer_(buffer_bytes, '\0') {
    writer_ = std::thread([this] { write_loop(); });
}

CEventLog::~CEventLog() {
    finish(FINISH_MS);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_one();
    writer_.join();
}

void CEventLog::line(log_topic topic, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    line_v(topic, format, args);
    va_end(args);
}

void CEventLog::line_v(log_topic topic, const char* format, std::va_list args) {
    const auto t = static_cast<std::size_t>(topic);
    if (topic != log_topic::SUMMARY && this_second_[t]++ >= per_second_)
        return;
    char text[LONGEST_LINE];
    const int n = std::vsnprintf(text, sizeof text - 1, format, args);
    if (n < 0)
        return;
    std::size_t size = std::min(static_cast<std::size_t>(n), sizeof text - 2);
    text[size++] = '\n';
    put(text, size);
}

void CEventLog::second() {
    for (std::size_t t = 0; t < static_cast<std::size_t>(log_topic::COUNT); ++t) {
        const std::uint32_t n = this_second_[t];
        this_second_[t] = 0;
        if (n > per_second_)
            line(log_topic::SUMMARY, "... and %u more %s in the last second", n - per_second_,
                 summary_noun(static_cast<log_topic>(t)));
    }
    put(nullptr, 0);
}

void CEventLog::append(const char* text, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        buffer_[(head_ + used_ + i) % buffer_.size()] = text[i];
    used_ += size;
}

void CEventLog::put(const char* text, std::size_t size) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        char notice[96];
        std::size_t notice_size = 0;
        if (dropped_ > dropped_told_)
            notice_size = static_cast<std::size_t>(
                std::snprintf(notice, sizeof notice, "%llu log lines dropped: the output was not read\n",
                              static_cast<unsigned long long>(dropped_ - dropped_told_)));
        if (used_ + notice_size + size > buffer_.size()) {
            dropped_ += size > 0;
            return;
        }
        append(notice, notice_size);
        dropped_told_ = dropped_;
        append(text, size);
    }
    wake_.notify_one();
}

void CEventLog::write_loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || used_ > 0; });
        if (stop_)
            return;
        // At most what a pipe the poll found writable takes without waiting, so that a stop is seen
        // within a poll's time however slowly the output is read.
        const std::size_t size =
            std::min({used_, buffer_.size() - head_, static_cast<std::size_t>(PIPE_BUF)});
        const char* from = &buffer_[head_];
        writing_ = true;
        lock.unlock();
        pollfd out = {fd_, POLLOUT, 0};
        ssize_t n = 0;
        if (poll(&out, 1, WAIT_MS) > 0) {
            do {
                n = ::write(fd_, from, size);
            } while (n < 0 && errno == EINTR);
        }
        lock.lock();
        writing_ = false;
        if (n > 0) {
            head_ = (head_ + static_cast<std::size_t>(n)) % buffer_.size();
            used_ -= static_cast<std::size_t>(n);
            written_ += static_cast<std::uint64_t>(n);
        } else if (n < 0 || (out.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            // An output that is gone takes nothing more: what it would have had is dropped.
            used_ = 0;
        }
        if (used_ == 0)
            drained_.notify_all();
    }
}

bool CEventLog::finish(int milliseconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    return drained_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                             [this] { return used_ == 0 && !writing_; });
}

std::uint64_t CEventLog::dropped() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return dropped_;
}

std::uint64_t CEventLog::written() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return written_;
}
