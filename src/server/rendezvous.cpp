#include "server/rendezvous.h"

#include <cstdarg>

#include "server/secure_random.h"

namespace {

constexpr std::int64_t SUMMARY_EVERY_MS = 60 * 1000;

void send_message(CDatagramSink& out, const rdv::endpoint& to, const rdv::message& m) {
    const std::vector<std::uint8_t> bytes = rdv::encode(m);
    out.send(to, bytes.data(), bytes.size());
}

void refuse(CDatagramSink& out, const rdv::endpoint& to, rdv::reason why) {
    rdv::message m;
    m.kind = rdv::REFUSED;
    m.reason = why;
    send_message(out, to, m);
}

}  // namespace

CRendezvous::CRendezvous(const server_config& config, std::FILE* log)
    : config_(config),
      log_(log),
      rate_(config.max_sources, config.joins_per_second, config.join_burst, secure_random_u64()),
      codes_(config.max_hosts, secure_random_u64()),
      relays_(config.max_relays, config.relay_bytes_per_second, secure_random_u64()) {}

std::size_t CRendezvous::table_bytes() const {
    return rate_.bytes() + codes_.bytes() + relays_.bytes();
}

void CRendezvous::log(const char* format, ...) {
    if (log_ == nullptr)
        return;
    std::va_list args;
    va_start(args, format);
    std::vfprintf(log_, format, args);
    va_end(args);
    std::fputc('\n', log_);
    std::fflush(log_);
}

void CRendezvous::receive(const std::uint8_t* data, std::size_t size, const rdv::endpoint& from,
                          std::int64_t now_ms, CDatagramSink& out) {
    if (size > rdv::MAX_DATAGRAM) {
        ++oversized_;
        return;
    }
    if (!rdv::is_rendezvous(data, size)) {
        forward(data, size, from, now_ms, out);
        return;
    }
    rdv::message m;
    if (!rdv::decode(data, size, m)) {
        ++malformed_;
        return;
    }
    switch (m.kind) {
        case rdv::REGISTER:
            on_register(m, from, now_ms, out);
            return;
        case rdv::UNREGISTER:
            on_unregister(from);
            return;
        case rdv::JOIN:
            on_join(m, from, now_ms, out);
            return;
        case rdv::RELAY:
            on_relay(m, from, now_ms, out);
            return;
        case rdv::PING:
            on_ping(m, from, now_ms, out);
            return;
        default:
            // What the server itself sends, or what the sides send each other: not for it.
            ++unmatched_;
            return;
    }
}

bool CRendezvous::allowed(const rdv::endpoint& from, std::int64_t now_ms, CDatagramSink& out) {
    switch (rate_.take(from.address, now_ms)) {
        case CRateLimiter::ALLOW:
            return true;
        case CRateLimiter::REFUSE_TELL:
            log("refused %s: too many requests", rdv::to_string(from).c_str());
            refuse(out, from, rdv::TOO_MANY);
            return false;
        case CRateLimiter::REFUSE_QUIET:
            return false;
    }
    return false;
}

std::string CRendezvous::fresh_code() const {
    // At most one code in 24,000 is taken at the default limits: a second draw is rare, a bound keeps it
    // finite.
    for (int attempt = 0; attempt < 64; ++attempt) {
        std::string code = secure_random_code();
        if (!codes_.code_taken(code))
            return code;
    }
    return std::string();
}

void CRendezvous::on_register(const rdv::message& m, const rdv::endpoint& from, std::int64_t now_ms,
                              CDatagramSink& out) {
    if (!allowed(from, now_ms, out))
        return;
    host_record* h = codes_.by_endpoint(from);
    if (h == nullptr || h->code.empty()) {
        const std::string code = fresh_code();
        if (!code.empty() && h != nullptr)
            codes_.set_code(*h, code);
        else if (!code.empty())
            h = codes_.add(from, code);
        if (code.empty() || h == nullptr) {
            log("refused %s: server full (%zu hosts)", rdv::to_string(from).c_str(), codes_.size());
            refuse(out, from, rdv::SERVER_FULL);
            return;
        }
        log("registered %s: code %s (%zu hosts)", rdv::to_string(from).c_str(), code.c_str(), codes_.size());
    }
    h->mapped = m.mapped;
    h->locals.assign(m.locals.begin(), m.locals.end());
    h->registered_ms = now_ms;
    rdv::message answer;
    answer.kind = rdv::REGISTERED;
    answer.code = h->code;
    answer.seen = from;
    answer.lifetime_s = static_cast<std::uint16_t>(config_.code_lifetime_s);
    send_message(out, from, answer);
}

void CRendezvous::on_unregister(const rdv::endpoint& from) {
    host_record* h = codes_.by_endpoint(from);
    if (h == nullptr || h->code.empty())
        return;
    log("unregistered %s: code %s", rdv::to_string(from).c_str(), h->code.c_str());
    codes_.close(*h);
    drop_host_if_done(*h);
}

void CRendezvous::drop_host_if_done(host_record& h) {
    if (h.code.empty() && h.token == 0)
        codes_.remove(h);
}

void CRendezvous::introduce(const host_record& h, CDatagramSink& out) {
    rdv::message m;
    m.kind = rdv::INTRODUCE;
    m.token = h.token;
    m.seen = h.joiner;
    m.locals = h.joiner_locals;
    m.role = 0;
    send_message(out, h.seen, m);
    m.seen = h.seen;
    m.mapped = h.mapped;
    m.locals = h.locals;
    m.role = 1;
    send_message(out, h.joiner, m);
}

void CRendezvous::on_join(const rdv::message& m, const rdv::endpoint& from, std::int64_t now_ms,
                          CDatagramSink& out) {
    if (!allowed(from, now_ms, out))
        return;
    host_record* h = codes_.by_code(m.code);
    // A host cannot join itself: there would be no second side to introduce.
    if (h == nullptr || h->seen == from) {
        log("refused %s: unknown code %s", rdv::to_string(from).c_str(), m.code.c_str());
        refuse(out, from, rdv::UNKNOWN_CODE);
        return;
    }
    // A join sent again (its introduction lost on the way) gets the same introduction again.
    if (h->token == 0 || h->joiner != from) {
        std::uint64_t token = 0;
        while (token == 0)
            token = secure_random_u64();
        codes_.introduce(*h, token, from, m.locals, now_ms);
        log("introduced %s to host %s: code %s", rdv::to_string(from).c_str(),
            rdv::to_string(h->seen).c_str(), h->code.c_str());
    }
    introduce(*h, out);
}

void CRendezvous::on_relay(const rdv::message& m, const rdv::endpoint& from, std::int64_t now_ms,
                           CDatagramSink& out) {
    rdv::message answer;
    answer.kind = rdv::RELAYING;
    answer.token = m.token;
    // A request repeated after the relay started: tell that side again.
    if (relay_pair* p = relays_.by_token(m.token)) {
        if (p->side[0] == from || p->side[1] == from)
            send_message(out, from, answer);
        else
            ++unmatched_;
        return;
    }
    host_record* h = codes_.by_token(m.token);
    if (h == nullptr || (from != h->seen && from != h->joiner)) {
        ++unmatched_;
        return;
    }
    (from == h->seen ? h->host_asked : h->joiner_asked) = true;
    if (h->host_asked && h->joiner_asked)
        start_relay(*h, now_ms, out);
}

void CRendezvous::start_relay(host_record& h, std::int64_t now_ms, CDatagramSink& out) {
    // A side plays one match at a time: an older pair it was part of ends.
    for (const rdv::endpoint& e : {h.seen, h.joiner}) {
        int side = 0;
        if (relay_pair* old = relays_.by_endpoint(e, side))
            end_relay(*old, "replaced");
    }
    rdv::message answer;
    answer.token = h.token;
    if (relays_.add(h.token, h.seen, h.joiner, now_ms) != nullptr) {
        answer.kind = rdv::RELAYING;
        log("relaying %s and %s (%zu pairs)", rdv::to_string(h.seen).c_str(),
            rdv::to_string(h.joiner).c_str(), relays_.size());
    } else {
        answer.kind = rdv::REFUSED;
        answer.reason = rdv::SERVER_FULL;
        log("refused to relay %s and %s: server full (%zu pairs)", rdv::to_string(h.seen).c_str(),
            rdv::to_string(h.joiner).c_str(), relays_.size());
    }
    send_message(out, h.seen, answer);
    send_message(out, h.joiner, answer);
    codes_.end_introduction(h);
    drop_host_if_done(h);
}

void CRendezvous::end_relay(relay_pair& p, const char* why) {
    log("relay of %s and %s ended, %s: %llu bytes forwarded, %llu dropped over the limit",
        rdv::to_string(p.side[0]).c_str(), rdv::to_string(p.side[1]).c_str(), why,
        static_cast<unsigned long long>(p.forwarded), static_cast<unsigned long long>(p.over_budget));
    relays_.remove(p);
}

void CRendezvous::on_ping(const rdv::message& m, const rdv::endpoint& from, std::int64_t now_ms,
                          CDatagramSink& out) {
    int side = 0;
    if (relay_pair* p = relays_.by_endpoint(from, side))
        p->last_ms = now_ms;
    rdv::message answer;
    answer.kind = rdv::PONG;
    answer.nonce = m.nonce;
    send_message(out, from, answer);
}

void CRendezvous::forward(const std::uint8_t* data, std::size_t size, const rdv::endpoint& from,
                          std::int64_t now_ms, CDatagramSink& out) {
    int side = 0;
    relay_pair* p = relays_.by_endpoint(from, side);
    if (p == nullptr) {
        ++unmatched_;
        return;
    }
    if (relays_.pass(*p, side, size, now_ms))
        out.send(p->side[1 - side], data, size);
}

void CRendezvous::expire(std::int64_t now_ms) {
    const std::int64_t lifetime_ms = static_cast<std::int64_t>(config_.code_lifetime_s) * 1000;
    const std::int64_t idle_ms = static_cast<std::int64_t>(config_.relay_idle_s) * 1000;
    for (std::size_t slot = 0; slot < codes_.capacity() && codes_.size() > 0; ++slot) {
        host_record& h = codes_.at(slot);
        if (!h.used)
            continue;
        if (!h.code.empty() && now_ms - h.registered_ms > lifetime_ms) {
            log("expired %s: code %s", rdv::to_string(h.seen).c_str(), h.code.c_str());
            codes_.close(h);
        }
        if (h.token != 0 && now_ms - h.introduced_ms > idle_ms)
            codes_.end_introduction(h);
        drop_host_if_done(h);
    }
    for (relay_pair& p : relays_.pairs())
        if (p.used && now_ms - p.last_ms > idle_ms)
            end_relay(p, "quiet");
    if (now_ms - summary_ms_ >= SUMMARY_EVERY_MS) {
        if (oversized_ + malformed_ + unmatched_ > 0)
            log("dropped %llu oversized, %llu malformed and %llu unexpected datagrams",
                static_cast<unsigned long long>(oversized_), static_cast<unsigned long long>(malformed_),
                static_cast<unsigned long long>(unmatched_));
        oversized_ = malformed_ = unmatched_ = 0;
        summary_ms_ = now_ms;
    }
}
