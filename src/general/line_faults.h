#pragma once

#include <string>
#include <utility>

// Tells on standard error about the lines of a file that were passed over: the first few one by one,
// then only how many more, so that a file of junk cannot flood the terminal.
class CLineFaults {
  public:
    static constexpr int SHOWN = 3;

    explicit CLineFaults(std::string file) : file_(std::move(file)) {}
    void add(int line, const std::string& why);
    // The count of those not shown, if any.
    void finish() const;
    int count() const { return count_; }

  private:
    std::string file_;
    int count_ = 0;
};
