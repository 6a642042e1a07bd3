#include "game/replay/command_log.h"

#include <utility>

void CCommandLog::add(std::uint64_t step, const board_command& command) {
    CByteWriter w;
    w.varint(step - last_);
    w.byte(command_byte(command));
    bytes_ += w.bytes;
    last_ = step;
    ++count_;
}

void CCommandLog::adopt(std::string&& buffer, std::size_t from, std::size_t to, std::size_t count,
                        std::uint64_t last_step) {
    bytes_ = std::move(buffer);
    bytes_.resize(to);
    begin_ = from;
    count_ = count;
    last_ = last_step;
}

bool CCommandLog::reader::next(recorded_command& out) {
    CByteReader in(log_->data(), pos_, log_->byte_size());
    if (in.left() == 0)
        return false;
    step_ += in.varint();
    out = {step_, byte_command(static_cast<std::uint8_t>(in.byte()))};
    pos_ = log_->byte_size() - in.left();
    return !in.bad;
}

void CCommandLog::cut(std::uint64_t step) {
    if (count_ == 0 || last_ < step)
        return;
    CCommandLog kept;
    reader in(*this);
    recorded_command c;
    while (in.next(c) && c.step < step)
        kept.add(c.step, c.command);
    *this = std::move(kept);
}
