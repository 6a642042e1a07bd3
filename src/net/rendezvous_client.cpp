#include "net/rendezvous_client.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

bool contains(const std::vector<rdv::endpoint>& list, const rdv::endpoint& e) {
    return std::find(list.begin(), list.end(), e) != list.end();
}

std::string refusal_text(std::uint8_t reason) {
    switch (reason) {
        case rdv::UNKNOWN_CODE:
            return "No such code: ask the host for it again";
        case rdv::TOO_MANY:
            return "Too many attempts, wait a moment";
        case rdv::SERVER_FULL:
            return "The server is full, try again later";
        case rdv::OTHER_VERSION:
            return "The server runs another version of the game";
        default:
            return "The server refused";
    }
}

}  // namespace

CRendezvousClient::CRendezvousClient(rdv::endpoint server, std::vector<rdv::endpoint> locals, sender send)
    : server_(server), locals_(std::move(locals)), send_(std::move(send)) {
    if (locals_.size() > static_cast<std::size_t>(rdv::MAX_ENDPOINTS))
        locals_.resize(rdv::MAX_ENDPOINTS);
}

void CRendezvousClient::host(const rdv::endpoint& mapped, double now) {
    hosting_ = true;
    mapped_ = mapped;
    enter(REGISTERING, now);
    last_register_ = now;
    send_register();
    ++tries_;
}

void CRendezvousClient::update_mapping(const rdv::endpoint& mapped, double now) {
    mapped_ = mapped;
    if (hosting_ && phase_ != IDLE && phase_ != FAILED) {
        last_register_ = now;
        send_register();
    }
}

bool CRendezvousClient::join(const std::string& typed, double now) {
    if (!rdv::normalize_code(typed, code_)) {
        fail("Not an invite code: it is six letters and digits");
        return false;
    }
    hosting_ = false;
    enter(JOINING, now);
    poll(now);
    return true;
}

void CRendezvousClient::send(const rdv::endpoint& to, const rdv::message& m) {
    send_(to, rdv::encode(m));
}

void CRendezvousClient::send_to_server(rdv::message m) {
    m.proof = cookie_;
    last_request_ = m;
    requested_ = true;
    send(server_, m);
}

void CRendezvousClient::on_cookie(const rdv::cookie& c) {
    // The same cookie again proves nothing new: going again with it could only loop.
    if (c == cookie_)
        return;
    cookie_ = c;
    if (requested_)
        send_to_server(last_request_);
}

void CRendezvousClient::send_register() {
    rdv::message m;
    m.kind = rdv::REGISTER;
    m.locals = locals_;
    m.mapped = mapped_;
    send_to_server(m);
}

void CRendezvousClient::enter(phase p, double now) {
    phase_ = p;
    phase_since_ = now;
    last_sent_ = -1e9;
    tries_ = 0;
}

bool CRendezvousClient::due(double now, double every) {
    if (now - last_sent_ < every)
        return false;
    last_sent_ = now;
    ++tries_;
    return true;
}

bool CRendezvousClient::past(double limit, double every, double now) const {
    return now - phase_since_ > limit && tries_ >= std::lround(limit / every);
}

rdv::message CRendezvousClient::with_token(rdv::type kind) const {
    rdv::message m;
    m.kind = kind;
    m.token = token_;
    return m;
}

void CRendezvousClient::poll(double now) {
    if (phase_ == IDLE || phase_ == FAILED || connected_)
        return;
    if (hosting_ && now - last_register_ >= (phase_ == REGISTERING ? REGISTER_RETRY : keep_alive_)) {
        last_register_ = now;
        send_register();
        if (phase_ == REGISTERING)
            ++tries_;
    }
    if ((phase_ == REGISTERING && past(SERVER_LIMIT, REGISTER_RETRY, now)) ||
        (phase_ == JOINING && past(SERVER_LIMIT, JOIN_RETRY, now))) {
        fail("The server does not answer");
        return;
    }
    if (phase_ == JOINING && due(now, JOIN_RETRY)) {
        rdv::message m;
        m.kind = rdv::JOIN;
        m.code = code_;
        m.locals = locals_;
        send_to_server(m);
    }
    if (phase_ == PUNCHING && !hosting_ && answered_ &&
        (now - answered_at_ >= BETTER_WAIT || rank(best_) == 0)) {
        choose(best_);
    } else if (phase_ == PUNCHING && past(PUNCH_LIMIT, PUNCH_EVERY, now)) {
        enter(ASKING_RELAY, now);
    } else if (phase_ == PUNCHING && due(now, PUNCH_EVERY)) {
        for (const rdv::endpoint& to : candidates())
            send(to, with_token(rdv::PUNCH));
    }
    if (phase_ == ASKING_RELAY && past(RELAY_LIMIT, RELAY_EVERY, now))
        no_relay("Could not reach the other player, even through the server");
    else if (phase_ == ASKING_RELAY && due(now, RELAY_EVERY))
        send_to_server(with_token(rdv::RELAY));
}

void CRendezvousClient::received(const rdv::endpoint& from, const std::uint8_t* data, std::size_t size,
                                 double now) {
    rdv::message m;
    if (phase_ == IDLE || connected_)
        return;
    std::uint8_t version = 0;
    if (from == server_ && rdv::is_version_refusal(data, size, version) &&
        (phase_ == REGISTERING || phase_ == JOINING)) {
        fail(version > rdv::VERSION ? "The server is newer than this game: update the game"
                                    : "The server is older than this game: it cannot be used");
        return;
    }
    if (!rdv::decode(data, size, m))
        return;
    if (m.kind == rdv::PUNCH) {
        on_punch(from, m, now);
        return;
    }
    // Anything else is the server's word, and only the server's.
    if (from == server_)
        on_message(m, now);
}

void CRendezvousClient::on_message(const rdv::message& m, double now) {
    switch (m.kind) {
        case rdv::REGISTERED:
            if (!hosting_)
                return;
            code_ = m.code;
            own_seen_ = m.seen;
            cookie_ = m.proof;
            if (m.lifetime_s > 0)
                keep_alive_ = std::min(KEEP_ALIVE, m.lifetime_s / 3.0);
            if (phase_ == REGISTERING)
                phase_ = WAITING;
            break;
        case rdv::INTRODUCE:
            on_introduce(m, now);
            break;
        case rdv::COOKIE:
            on_cookie(m.proof);
            break;
        case rdv::RELAYING:
            if (phase_ != ASKING_RELAY || m.token != token_)
                return;
            path_ = "relayed";
            peer_ = server_;
            phase_ = READY;
            break;
        case rdv::REFUSED:
            if (phase_ == REGISTERING || phase_ == JOINING)
                fail(refusal_text(m.reason));
            else if (phase_ == ASKING_RELAY)
                no_relay(refusal_text(m.reason));
            break;
        default:
            break;
    }
}

void CRendezvousClient::on_introduce(const rdv::message& m, double now) {
    if (m.role != (hosting_ ? 0 : 1) || m.token == token_)
        return;
    // A host takes each new joiner; a joiner the latest introduction while it probes, since a repeated
    // JOIN may have brought a second one, which the host takes too.
    const bool open = hosting_ ? phase_ != REGISTERING : phase_ == JOINING || phase_ == PUNCHING;
    if (!open)
        return;
    token_ = m.token;
    other_seen_ = m.seen;
    other_mapped_ = m.mapped;
    other_locals_ = m.locals;
    answered_ = false;
    error_.clear();
    path_.clear();
    // A side that only the server reaches (a browser) answers no probe: no time is lost on them.
    enter(m.relay_only != 0 ? ASKING_RELAY : PUNCHING, now);
    poll(now);
}

void CRendezvousClient::on_punch(const rdv::endpoint& from, const rdv::message& m, double now) {
    if (token_ == 0 || m.token != token_ || phase_ == JOINING || phase_ == FAILED)
        return;
    if (m.ack == 0) {
        rdv::message answer = with_token(rdv::PUNCH);
        answer.ack = 1;
        send(from, answer);
    }
    if (phase_ != PUNCHING)
        return;
    if (!answered_ || rank(from) < rank(best_))
        best_ = from;
    if (!answered_)
        answered_at_ = now;
    answered_ = true;
}

void CRendezvousClient::choose(const rdv::endpoint& answered) {
    peer_ = answered;
    const int r = rank(answered);
    path_ = r == 0 ? "mapped" : r == 1 ? "direct" : "punched";
    phase_ = READY;
}

void CRendezvousClient::connected(const rdv::endpoint& player) {
    if (!hosting_ || connected_)
        return;
    // The code has served: nobody else is introduced to a host that plays. A relay goes on without it.
    leave();
    connected_ = true;
    phase_ = READY;
    peer_ = player;
    if (player == server_)
        path_ = "relayed";
    else if (contains(locals_, own_seen_))
        path_ = "direct";  // no router in front of this side
    else if (contains(other_locals_, player) && player.address != other_seen_.address)
        path_ = "direct";  // the same network as this side
    else if (mapped_ != rdv::endpoint{})
        path_ = "mapped";
    else
        path_ = "punched";
}

void CRendezvousClient::leave() {
    if (hosting_ && !code_.empty()) {
        rdv::message m;
        m.kind = rdv::UNREGISTER;
        send_to_server(m);
        code_.clear();
    }
    phase_ = IDLE;
}

void CRendezvousClient::no_relay(const std::string& why) {
    if (!hosting_) {
        fail(why);
        return;
    }
    // The code still works: the player may try again.
    phase_ = WAITING;
    error_ = "A player could not get through";
}

void CRendezvousClient::fail(const std::string& why) {
    phase_ = FAILED;
    error_ = why;
}

int CRendezvousClient::rank(const rdv::endpoint& address) const {
    if (other_mapped_ != rdv::endpoint{} && address == other_mapped_)
        return 0;
    if (contains(other_locals_, address))
        return 1;
    return address == other_seen_ ? 2 : 3;
}

std::vector<rdv::endpoint> CRendezvousClient::candidates() const {
    std::vector<rdv::endpoint> out;
    if (other_mapped_ != rdv::endpoint{})
        out.push_back(other_mapped_);
    if (!contains(out, other_seen_))
        out.push_back(other_seen_);
    for (const rdv::endpoint& e : other_locals_)
        if (!contains(out, e))
            out.push_back(e);
    return out;
}

std::vector<rdv::endpoint> CRendezvousClient::introduced() const {
    const bool on_its_way = phase_ == PUNCHING || phase_ == ASKING_RELAY || (phase_ == READY && !connected_);
    if (!hosting_ || !on_its_way)
        return {};
    std::vector<rdv::endpoint> out = candidates();
    out.push_back(server_);
    return out;
}
