#pragma once

// The pages whose scripts may open a WebSocket to the server: a browser names the page's origin
// (scheme://host[:port]) in its handshake, and the server admits only the origins of its list, or any
// page when the list is "*". Programs other than browsers name no origin: only "*" admits them.
#include <cstddef>
#include <string>
#include <vector>

class COriginList {
  public:
    // "*", or origins separated by commas or spaces, each http:// or https:// with a host and an
    // optional port, nothing after it but an optional '/'. False, with the reason, for anything else.
    bool parse(const std::string& text, std::string& error);
    // `origin` as the handshake carried it; `size` 0 when it carried none.
    bool allows(const char* origin, std::size_t size) const;
    bool any() const { return any_; }

  private:
    bool any_ = true;
    std::vector<std::string> origins_;  // lower case, without a trailing '/'
};
