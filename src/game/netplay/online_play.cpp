#include "game/netplay/online_play.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "game/netplay/network_address.h"
#include "net/host_lookup.h"

namespace {

// This machine's addresses with the session's port, for a player behind the same router.
std::vector<rdv::endpoint> local_endpoints(std::uint16_t port) {
    std::vector<rdv::endpoint> out;
    for (const std::string& address : CNetLink::local_addresses()) {
        rdv::endpoint e;
        if (out.size() < static_cast<std::size_t>(rdv::MAX_ENDPOINTS) &&
            rdv::parse_endpoint(address + ":" + std::to_string(port), e))
            out.push_back(e);
    }
    return out;
}

bool server_endpoint(const std::string& server, rdv::endpoint& out, std::string& error) {
    std::string host;
    std::uint16_t port = rdv::DEFAULT_PORT;
    std::string why;
    if (!parse_address(server, host, port, why) || !look_up_host(host, port, out, why)) {
        error = "The rendezvous server \"" + server + "\" cannot be used: " + why;
        return false;
    }
    return true;
}

}  // namespace

COnlinePlay::COnlinePlay(CNetSession& session) : session_(session) {}

COnlinePlay::~COnlinePlay() {
    if (client_ != nullptr) {
        client_->leave();
        session_.link().flush();
    }
    session_.link().on_rendezvous(nullptr);
}

void COnlinePlay::use_server(const rdv::endpoint& at) {
    CNetLink& link = session_.link();
    client_ = std::make_unique<CRendezvousClient>(
        at, local_endpoints(session_.port()),
        [this, &link, at](const rdv::endpoint& to, const std::vector<std::uint8_t>& d) {
            const bool opening = to != at && client_ != nullptr && client_->opening(now_);
            link.send_datagram(to, d, opening ? CRendezvousClient::OPENING_HOPS : 0);
        });
    link.on_rendezvous([this](const rdv::endpoint& from, const std::uint8_t* data, std::size_t size) {
        client_->received(from, data, size, now_);
    });
}

bool COnlinePlay::host(const std::string& server, double now, std::string& error) {
    hosting_ = true;
    now_ = now;
    mapping_.start(session_.port());
    if (server.empty())
        return true;
    rdv::endpoint at;
    if (!server_endpoint(server, at, error))
        return false;
    use_server(at);
    client_->host(rdv::endpoint{}, now);
    return true;
}

bool COnlinePlay::join(const std::string& server, const std::string& code, double now, std::string& error) {
    now_ = now;
    if (server.empty()) {
        error = "No rendezvous server is set up: join by address";
        return false;
    }
    rdv::endpoint at;
    if (!server_endpoint(server, at, error))
        return false;
    use_server(at);
    if (!client_->join(code, now)) {
        error = client_->error();
        return false;
    }
    return true;
}

bool COnlinePlay::poll(double now) {
    now_ = now;
    mapping_.poll();
    // The server learns the mapping once the router has given it; the first REGISTER went without.
    if (hosting_ && !mapping_told_ && mapping_.finished()) {
        mapping_told_ = true;
        if (client_ != nullptr && mapping_.external() != rdv::endpoint{})
            client_->update_mapping(mapping_.external(), now);
    }
    if (client_ == nullptr) {
        if (path_.empty() && !session_.player_address().empty())
            path_ = mapping_.external() != rdv::endpoint{} ? "mapped" : "direct";
        return true;
    }
    client_->poll(now);
    if (hosting_) {
        // While a joiner the server introduced is on its way in, nobody else takes a place from it.
        std::vector<rdv::endpoint> admitted = client_->introduced();
        if (admitted != admitted_) {
            admitted_ = admitted;
            session_.link().admit_only(std::move(admitted));
        }
        rdv::endpoint player;
        if (path_.empty() && rdv::parse_endpoint(session_.player_address(), player)) {
            client_->connected(player);
            path_ = client_->path();
        }
        return true;
    }
    if (client_->state() == CRendezvousClient::FAILED) {
        problem_ = client_->error();
        return false;
    }
    if (client_->state() == CRendezvousClient::READY && session_.state() == CNetSession::IDLE) {
        const rdv::endpoint to = client_->peer();
        const std::string address = rdv::to_string(to);
        if (!session_.join(address.substr(0, address.rfind(':')), to.port, problem_))
            return false;
        path_ = client_->path();
    }
    return true;
}

// The server saw this host at one of its own addresses: nothing translates, so nothing needs opening.
bool COnlinePlay::reachable_as_is() const {
    if (client_ == nullptr || client_->seen() == rdv::endpoint{})
        return false;
    const std::vector<rdv::endpoint> own = local_endpoints(session_.port());
    return std::find(own.begin(), own.end(), client_->seen()) != own.end();
}

std::string COnlinePlay::host_lines() const {
    std::string text;
    if (!mapping_.finished())
        text = "Asking the router to open the port ...";
    else if (mapping_.external() != rdv::endpoint{})
        text = "The router (" + mapping_.method() + ") opened " + rdv::to_string(mapping_.external());
    else if (reachable_as_is())
        text = "No router in front of this machine: it needs no port opened";
    else
        text = "The router opened no port";
    if (client_ == nullptr)
        return text + "\nNo rendezvous server is set up: the other player joins by address";
    switch (client_->state()) {
        case CRendezvousClient::REGISTERING:
            return text + "\nAsking the rendezvous server for a code ...";
        case CRendezvousClient::FAILED:
            return text + "\n" + client_->error() + ": the other player joins by address";
        case CRendezvousClient::PUNCHING:
        case CRendezvousClient::ASKING_RELAY:
            return text + "\nA player is on the way in ...";
        default:
            return client_->error().empty() ? text : text + "\n" + client_->error();
    }
}
