#pragma once

// The way to the other side over the internet, for a session started by "Host online" or an invite
// code: the router's port mapping and the rendezvous server's code, introduction, probes and relay.
// It works beside the session, on the session's port; the session never knows which way its
// datagrams go.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/netplay/netplay.h"
#include "game/netplay/router_mapping.h"
#include "net/rendezvous_client.h"

class COnlinePlay {
  public:
    explicit COnlinePlay(CNetSession& session);
    // The mapping is removed and the code given up.
    ~COnlinePlay();
    COnlinePlay(const COnlinePlay&) = delete;
    COnlinePlay& operator=(const COnlinePlay&) = delete;

    // The session hosts already. `server`: "host[:port]", "" for none: then only the router is asked.
    bool host(const std::string& server, double now, std::string& error);
    // The session is open (CNetSession::open); it joins once the way is found.
    bool join(const std::string& server, const std::string& code, double now, std::string& error);
    // False once the joiner's way cannot be found: problem() says why.
    bool poll(double now);

    bool has_server() const { return client_ != nullptr; }
    // The waiting host's invite code to pass on; a joiner has none to give.
    std::string code() const { return hosting_ && client_ != nullptr ? client_->code() : ""; }
    // How the other side came in: "direct", "mapped", "punched", "relayed"; "" before it has.
    const std::string& path() const { return path_; }
    // Lines for the waiting host: the router's mapping, the server's word.
    std::string host_lines() const;
    const std::string& problem() const { return problem_; }

  private:
    CNetSession& session_;
    CRouterMapping mapping_;
    std::unique_ptr<CRendezvousClient> client_;
    void use_server(const rdv::endpoint& at);
    bool reachable_as_is() const;

    bool hosting_ = false;
    double now_ = 0;             // of the last poll, for what arrives during the session's
    bool mapping_told_ = false;  // the server has the mapping's address
    std::string path_;
    std::string problem_;
    std::vector<rdv::endpoint> admitted_;  // by the link: empty for anyone
};
