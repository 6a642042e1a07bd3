#include "server/rendezvous.h"

#include <cstdarg>

#include "server/secure_random.h"

namespace {

constexpr std::int64_t SUMMARY_EVERY_MS = 60 * 1000;

void send_message(CDatagramSink& out, const peer& to, const rdv::message& m) {
    const std::vector<std::uint8_t> bytes = rdv::encode(m);
    out.send(to, bytes.data(), bytes.size());
}

}  // namespace

CRendezvous::CRendezvous(const server_config& config, CEventLog* log)
    : config_(config),
      log_(log),
      proof_(COOKIE_WINDOW_MS),
      rate_(config.max_sources, per_second(config.messages_per_second, config.message_burst),
            per_second(config.joins_per_second, config.join_burst), secure_random_u64()),
      codes_(config.max_hosts, secure_random_u64()),
      relays_(config.max_relays, config.relay_bytes_per_second, config.relay_datagrams_per_second,
              secure_random_u64()),
      host_quota_(config.max_hosts, config.hosts_per_address, config.hosts_per_network, secure_random_u64()),
      relay_quota_(2 * static_cast<std::size_t>(config.max_relays), config.relays_per_address,
                   config.relays_per_network, secure_random_u64()) {}

std::size_t CRendezvous::table_bytes() const {
    return rate_.bytes() + codes_.bytes() + relays_.bytes() + host_quota_.bytes() + relay_quota_.bytes();
}

void CRendezvous::log(log_topic topic, const char* format, ...) {
    if (log_ == nullptr)
        return;
    std::va_list args;
    va_start(args, format);
    log_->line_v(topic, format, args);
    va_end(args);
}

void CRendezvous::refuse(CDatagramSink& out, const peer& to, rdv::reason why) {
    rdv::message m;
    m.kind = rdv::REFUSED;
    m.reason = why;
    send_message(out, to, m);
}

void CRendezvous::receive(const std::uint8_t* data, std::size_t size, const peer& from, std::int64_t now_ms,
                          CDatagramSink& out) {
    if (size > rdv::MAX_DATAGRAM) {
        ++oversized_;
        return;
    }
    if (!rdv::is_rendezvous(data, size)) {
        forward(data, size, from, now_ms, out);
        return;
    }
    if (size > 4 && data[3] != rdv::VERSION) {
        on_other_version(data, size, from, out);
        return;
    }
    rdv::message m;
    if (!rdv::decode(data, size, m)) {
        ++malformed_;
        return;
    }
    if (!rdv::is_request(m.kind)) {
        // What the server itself sends, or what the sides send each other: not for it.
        ++unmatched_;
        return;
    }
    if (!proof_.proves(m.proof, from, now_ms)) {
        // Nothing kept, and an answer no larger than the request (which holds a cookie's room): a
        // forged source learns nothing and the address it names gets no more than was sent.
        ++unproven_;
        rdv::message answer;
        answer.kind = rdv::COOKIE;
        answer.proof = proof_.make(from, now_ms);
        send_message(out, from, answer);
        return;
    }
    if (!allowed(from, m.kind == rdv::REGISTER || m.kind == rdv::JOIN, now_ms, out))
        return;
    on_request(m, from, now_ms, out);
}

void CRendezvous::on_request(const rdv::message& m, const peer& from, std::int64_t now_ms,
                             CDatagramSink& out) {
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
            return;
    }
}

void CRendezvous::on_other_version(const std::uint8_t* data, std::size_t size, const peer& from,
                                   CDatagramSink& out) {
    // Only the requests that start a player's attempt are answered, each no larger than itself.
    const std::uint8_t kind = data[4];
    const std::vector<std::uint8_t> answer = rdv::encode_version_refusal(data[3]);
    if ((kind != rdv::REGISTER && kind != rdv::JOIN) || answer.size() > size) {
        ++malformed_;
        return;
    }
    log(log_topic::OTHER_VERSION, "refused %s: a program of version %u (this server speaks %u)",
        to_string(from).c_str(), data[3], rdv::VERSION);
    out.send(from, answer.data(), answer.size());
}

bool CRendezvous::allowed(const peer& from, bool join, std::int64_t now_ms, CDatagramSink& out) {
    switch (rate_.take(from.at.address, join, now_ms)) {
        case CRateLimiter::ALLOW:
            return true;
        case CRateLimiter::REFUSE_TELL:
            log(log_topic::REFUSED, "refused %s: too many requests", to_string(from).c_str());
            refuse(out, from, rdv::TOO_MANY);
            ++over_rate_;
            return false;
        case CRateLimiter::REFUSE_QUIET:
            ++over_rate_;
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

void CRendezvous::on_register(const rdv::message& m, const peer& from, std::int64_t now_ms,
                              CDatagramSink& out) {
    host_record* h = codes_.by_peer(from);
    if (h == nullptr && !host_quota_.allows(from.at.address)) {
        // The newest asker is refused: nobody's place is taken for it.
        log(log_topic::REFUSED, "refused %s: as many hosts from its address or network as it may have",
            to_string(from).c_str());
        refuse(out, from, rdv::TOO_MANY);
        return;
    }
    if (h == nullptr || h->code.empty()) {
        const std::string code = fresh_code();
        if (!code.empty() && h != nullptr) {
            codes_.set_code(*h, code);
        } else if (!code.empty()) {
            h = codes_.add(from, code);
            if (h != nullptr) {
                host_quota_.take(from.at.address);
                h->introductions.fill(now_ms, INTRODUCTIONS);
            }
        }
        if (code.empty() || h == nullptr) {
            log(log_topic::REFUSED, "refused %s: server full (%zu hosts)", to_string(from).c_str(),
                codes_.codes());
            refuse(out, from, rdv::SERVER_FULL);
            return;
        }
        log(log_topic::REGISTERED, "registered %s: code %s (%zu hosts)", to_string(from).c_str(),
            code.c_str(), codes_.codes());
    }
    h->mapped = m.mapped;
    h->locals.assign(m.locals.begin(), m.locals.end());
    h->registered_ms = now_ms;
    rdv::message answer;
    answer.kind = rdv::REGISTERED;
    answer.code = h->code;
    answer.seen = from.at;
    answer.lifetime_s = static_cast<std::uint16_t>(config_.code_lifetime_s);
    // A cookie of this window: the host's keep-alives, its relay request and its last word all stay
    // proven without another round trip.
    answer.proof = proof_.make(from, now_ms);
    send_message(out, from, answer);
}

void CRendezvous::on_unregister(const peer& from) {
    host_record* h = codes_.by_peer(from);
    if (h == nullptr || h->code.empty())
        return;
    log(log_topic::UNREGISTERED, "unregistered %s: code %s (%zu hosts)", to_string(from).c_str(),
        h->code.c_str(), codes_.codes() - 1);
    codes_.close(*h);
    drop_host_if_done(*h);
}

void CRendezvous::drop_host_if_done(host_record& h) {
    if (!h.code.empty() || h.token != 0)
        return;
    host_quota_.give_back(h.seen.at.address);
    codes_.remove(h);
}

void CRendezvous::introduce(const host_record& h, CDatagramSink& out) {
    rdv::message m;
    m.kind = rdv::INTRODUCE;
    m.token = h.token;
    m.seen = h.joiner.at;
    // The host probes what the server saw of the joiner; the joiner's own list of its addresses only
    // where the two share a public address, behind one router, where no other path exists. Elsewhere
    // such a list would only aim the host's probes where a stranger with the code chose.
    if (h.joiner.at.address == h.seen.at.address)
        m.locals = h.joiner_locals;
    m.role = 0;
    send_message(out, h.seen, m);
    m.seen = h.seen.at;
    m.mapped = h.mapped;
    m.locals = h.locals;
    m.role = 1;
    send_message(out, h.joiner, m);
}

void CRendezvous::on_join(const rdv::message& m, const peer& from, std::int64_t now_ms, CDatagramSink& out) {
    host_record* h = codes_.by_code(m.code);
    // A host cannot join itself: there would be no second side to introduce.
    if (h == nullptr || h->seen == from) {
        log(log_topic::REFUSED, "refused %s: unknown code %s", to_string(from).c_str(), m.code.c_str());
        refuse(out, from, rdv::UNKNOWN_CODE);
        return;
    }
    // A join sent again (its introduction lost on the way) gets the same introduction again.
    if (h->token == 0 || h->joiner != from) {
        if (!h->introductions.take(now_ms, INTRODUCTIONS)) {
            log(log_topic::REFUSED, "refused %s: host %s was introduced to too many players at once",
                to_string(from).c_str(), to_string(h->seen).c_str());
            refuse(out, from, rdv::TOO_MANY);
            return;
        }
        std::uint64_t token = 0;
        while (token == 0)
            token = secure_random_u64();
        codes_.introduce(*h, token, from, m.locals, now_ms);
        log(log_topic::INTRODUCED, "introduced %s to host %s: code %s", to_string(from).c_str(),
            to_string(h->seen).c_str(), h->code.c_str());
    }
    introduce(*h, out);
}

void CRendezvous::on_relay(const rdv::message& m, const peer& from, std::int64_t now_ms, CDatagramSink& out) {
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

bool CRendezvous::relay_quota_allows(const peer& a, const peer& b) const {
    if (!relay_quota_.allows(a.at.address))
        return false;
    if (a.at.address == b.at.address)
        return true;
    return relay_quota_.allows(b.at.address);
}

void CRendezvous::change_relay_quota(const peer& a, const peer& b, bool take) {
    // A pair holds one place of each of its addresses: once when both sides share one.
    for (const peer* side : {&a, &b}) {
        if (side == &b && a.at.address == b.at.address)
            break;
        if (take)
            relay_quota_.take(side->at.address);
        else
            relay_quota_.give_back(side->at.address);
    }
}

void CRendezvous::start_relay(host_record& h, std::int64_t now_ms, CDatagramSink& out) {
    // A side plays one match at a time: an older pair it was part of ends. Both sides are proven and
    // asked for this one themselves, so no one else can end a pair this way.
    for (const peer& e : {h.seen, h.joiner}) {
        int side = 0;
        if (relay_pair* old = relays_.by_peer(e, side))
            end_relay(*old, "replaced by its side's new match");
    }
    rdv::message answer;
    answer.token = h.token;
    answer.kind = rdv::REFUSED;
    if (!relay_quota_allows(h.seen, h.joiner)) {
        answer.reason = rdv::TOO_MANY;
        log(log_topic::REFUSED,
            "refused to relay %s and %s: as many pairs from their address or network as "
            "they may have",
            to_string(h.seen).c_str(), to_string(h.joiner).c_str());
    } else if (relays_.add(h.token, h.seen, h.joiner, now_ms) == nullptr) {
        answer.reason = rdv::SERVER_FULL;
        log(log_topic::REFUSED, "refused to relay %s and %s: server full (%zu pairs)",
            to_string(h.seen).c_str(), to_string(h.joiner).c_str(), relays_.size());
    } else {
        answer.kind = rdv::RELAYING;
        change_relay_quota(h.seen, h.joiner, true);
        log(log_topic::RELAY_STARTED, "relaying %s and %s (%zu pairs)", to_string(h.seen).c_str(),
            to_string(h.joiner).c_str(), relays_.size());
    }
    send_message(out, h.seen, answer);
    send_message(out, h.joiner, answer);
    codes_.end_introduction(h);
    drop_host_if_done(h);
}

void CRendezvous::end_relay(relay_pair& p, const char* why) {
    log(log_topic::RELAY_ENDED,
        "relay of %s and %s ended, %s: %llu bytes forwarded, %llu datagrams dropped "
        "over the limits",
        to_string(p.side[0]).c_str(), to_string(p.side[1]).c_str(), why,
        static_cast<unsigned long long>(p.forwarded), static_cast<unsigned long long>(p.over_budget));
    change_relay_quota(p.side[0], p.side[1], false);
    relays_.remove(p);
}

void CRendezvous::on_ping(const rdv::message& m, const peer& from, std::int64_t now_ms, CDatagramSink& out) {
    int side = 0;
    if (relay_pair* p = relays_.by_peer(from, side))
        p->last_ms = now_ms;
    rdv::message answer;
    answer.kind = rdv::PONG;
    answer.nonce = m.nonce;
    send_message(out, from, answer);
}

void CRendezvous::forward(const std::uint8_t* data, std::size_t size, const peer& from, std::int64_t now_ms,
                          CDatagramSink& out) {
    int side = 0;
    relay_pair* p = relays_.by_peer(from, side);
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
            log(log_topic::EXPIRED, "expired %s: code %s (%zu hosts)", to_string(h.seen).c_str(),
                h.code.c_str(), codes_.codes() - 1);
            codes_.close(h);
        }
        if (h.token != 0 && now_ms - h.introduced_ms > INTRODUCTION_MS)
            codes_.end_introduction(h);
        drop_host_if_done(h);
    }
    for (relay_pair& p : relays_.pairs())
        if (p.used && now_ms - p.last_ms > idle_ms)
            end_relay(p, "quiet");
    if (now_ms - summary_ms_ >= SUMMARY_EVERY_MS) {
        if (oversized_ + malformed_ + unmatched_ + unproven_ + over_rate_ > 0)
            log(log_topic::SUMMARY,
                "in the last minute: %llu requests answered with a cookie; dropped %llu over the rate, %llu "
                "oversized, %llu malformed and %llu unexpected datagrams",
                static_cast<unsigned long long>(unproven_), static_cast<unsigned long long>(over_rate_),
                static_cast<unsigned long long>(oversized_), static_cast<unsigned long long>(malformed_),
                static_cast<unsigned long long>(unmatched_));
        oversized_ = malformed_ = unmatched_ = unproven_ = over_rate_ = 0;
        summary_ms_ = now_ms;
    }
    if (log_ != nullptr)
        log_->second();
}
