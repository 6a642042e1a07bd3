#include "game/netplay/ack_order.h"

bool CAckOrder::admits(std::uint32_t ack, std::uint32_t until, std::uint32_t first_new) {
    if (ack > until || first_new < acknowledged_)
        return false;
    if (ack > acknowledged_)
        acknowledged_ = ack;
    return true;
}
