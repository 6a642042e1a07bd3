#pragma once

// The server's log: one line per event, written by a thread of its own so that the event loop never
// waits on its output. The loop copies each line into a buffer of fixed size and goes on; when the
// reader of the output is slow and the buffer is full, lines are dropped and counted, and the count is
// written once there is room again. Events of one kind beyond a number a second are counted instead
// of written, and each second's count becomes one summary line, so that a flood writes a line a second.
#include <condition_variable>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

enum class log_topic : std::uint8_t {
    REGISTERED,
    UNREGISTERED,
    EXPIRED,
    INTRODUCED,
    RELAY_STARTED,
    RELAY_ENDED,
    REFUSED,
    OTHER_VERSION,
    SUMMARY,  // the server's own lines: start, stop, what it dropped; never summed up
    COUNT
};

class CEventLog {
  public:
    // Writes to `fd` (not closed); `lines_per_second` of each topic before they are summed up.
    CEventLog(int fd, std::uint32_t lines_per_second, std::size_t buffer_bytes = 256 * 1024);
    // Gives the writer FINISH_MS to write what is buffered, then drops the rest: never longer, whatever
    // the reader of the output does.
    ~CEventLog();
    static constexpr int FINISH_MS = 400;
    CEventLog(const CEventLog&) = delete;
    CEventLog& operator=(const CEventLog&) = delete;

    void line(log_topic topic, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void line_v(log_topic topic, const char* format, std::va_list args) __attribute__((format(printf, 3, 0)));
    // Once a second: the summary of each topic that had more lines than it may write.
    void second();
    // Waits at most `milliseconds` for what is buffered to be written; false when it was not.
    bool finish(int milliseconds);

    std::uint64_t dropped() const;
    std::uint64_t written() const;

  private:
    // Copies a line into the buffer, after the count of lines dropped before it; `size` 0: the count
    // alone.
    void put(const char* text, std::size_t size);
    void append(const char* text, std::size_t size);
    void write_loop();

    int fd_;
    std::uint32_t per_second_;
    std::uint32_t this_second_[static_cast<int>(log_topic::COUNT)] = {};

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable drained_;
    std::string buffer_;  // a ring of fixed size
    std::size_t head_ = 0;
    std::size_t used_ = 0;
    bool writing_ = false;
    bool stop_ = false;
    std::uint64_t dropped_ = 0;
    std::uint64_t dropped_told_ = 0;
    std::uint64_t written_ = 0;
    std::thread writer_;
};
