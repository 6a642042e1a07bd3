#pragma once

// A two-player match between two programs: both run the same board and only board commands travel
// (station commands, pause and resume). A command made at step n is applied at step n + delay on both
// sides; steps go on while the match is paused, so that a resume reaches both boards at the same step
// too. The host plays blue, the joining player red.
// In lockstep a step runs only once both sides' commands for it are known. With rollback allowed, a
// step runs at once with the other side's commands predicted (none: it holds what it held), and when
// real ones arrive for a step already run, the board goes back to that step and runs again.
// The session knows nothing of the board itself: the caller runs the steps, applies the commands the
// session hands out, and gives it the board's hash when asked.
// Commands travel unreliably but repeatedly: every message carries all of this side's commands the
// other side has not acknowledged, so a lost datagram is made good by the next one (10 to 20 ms
// later) instead of by a retransmission that holds up everything behind it. Control messages and
// hashes go reliably, in order.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "game/config/network_defaults.h"
#include "game/netplay/ack_order.h"
#include "game/netplay/command_budget.h"
#include "game/netplay/hash_check.h"
#include "game/netplay/watch_feed.h"
#include "game/sim/station_input.h"
#include "net/link.h"
#include "net/message.h"

// What the other side must share to play with us.
struct net_identity {
    std::string program;  // program version
    std::uint64_t rules;  // hash of the game's rules
};

class CNetSession {
  public:
    static constexpr std::uint16_t DEFAULT_PORT = network_defaults::PORT;
    static constexpr int DEFAULT_DELAY = network_defaults::INPUT_DELAY;
    static constexpr int MAX_DELAY = network_defaults::MAX_INPUT_DELAY;
    static constexpr int HASH_PERIOD = 100;      // steps between state hash checks
    static constexpr double SILENCE_LIMIT = 5;   // seconds without a word: the connection is lost
    static constexpr double CONNECT_LIMIT = 5;   // seconds for a host to accept us
    static constexpr double GREETING_LIMIT = 2;  // seconds for a connection to the host to say who it is
    static constexpr int HOST_SLOTS = 16;        // connections a host holds at once: the player and strangers
    // Steps a board that rolls back may run ahead of the other side's last known commands.
    static constexpr int ROLLBACK_REACH = 20;
    static constexpr int MAX_ROLLBACK_DELAY = 2;  // the most a rolling board delays its own commands
    static constexpr std::uint32_t NO_STEP = UINT32_MAX;

    enum phase { IDLE, WAITING, PLAYING, OVER };

    explicit CNetSession(net_identity me);
    ~CNetSession();
    CNetSession(const CNetSession&) = delete;
    CNetSession& operator=(const CNetSession&) = delete;

    // Waits for one player on the port (0: any free one), on every local address or `address` only.
    bool host(std::uint16_t port, int input_delay, std::string& error, const char* address = nullptr);
    bool join(const std::string& host, std::uint16_t port, std::string& error);
    // Before host() or join(): the caller keeps the board before each of the last ROLLBACK_REACH steps and
    // brings one back when asked (rollback_to), so steps need not wait for the other side. Its own
    // commands then act after 0 to MAX_ROLLBACK_DELAY steps, more the longer the round trip.
    void allow_rollback() { rollback_ = true; }
    // For a join whose address is still being found: the port opens now, so that the finding goes
    // out from the port the match will use, and join() connects from it. poll() serves it meanwhile.
    bool open(std::string& error);
    // The port's other traffic, for whoever finds the way to the other side.
    CNetLink& link() { return link_; }

    // Handles what arrived and sends what is due. `now`: seconds on any steady clock.
    void poll(double now);
    // The program's rest between frames, the port read meanwhile (see CNetLink::rest).
    void rest(double seconds) { link_.rest(static_cast<int>(seconds * 1000)); }

    phase state() const { return phase_; }
    // Why the session is OVER ("" when left by this side); while the host waits, its last refusal.
    const std::string& note() const { return note_; }
    station_side local_side() const { return local_side_; }
    int input_delay() const { return delay_; }
    // The round trip measured so far in seconds, -1 before the first.
    double round_trip() const { return round_trip_; }
    std::uint16_t port() const { return link_.port(); }
    int match() const { return match_; }
    bool hosting() const { return local_side_ == BLUE_STATION; }
    int watchers() const { return feed_.count(); }
    // What the joining side connects to, "host:port".
    const std::string& host_name() const { return host_name_; }
    // The other player's connection: its address "a.b.c.d:port" ("" before one) and round trip.
    std::string player_address() const { return link_.peer_address(player_); }
    std::uint32_t round_trip_ms() const { return link_.round_trip_ms(player_); }

    // --- lockstep -------------------------------------------------------------------------------
    // A local command, to be applied at step command_step() on both sides. Station commands must be
    // for local_side().
    void submit(const board_command& command);
    // The step a command submitted now acts at: input_delay() steps ahead, never before an earlier one.
    std::uint32_t command_step() const { return own_until_; }
    // Playing, and the next step may run: both sides' commands for it known, or, rolling back, the
    // board not beyond its reach and not due to go back first.
    bool step_ready() const;
    // The commands of the next step: blue's before red's, each side's in the order given.
    std::vector<board_command> step_inputs() const;
    // The next step has been run; `board_hash` is read when a check is due.
    void step_done(const std::function<std::uint64_t()>& board_hash);
    // Compares the board now (a match's end, every step run confirmed) with the other side's.
    void check_now(std::uint64_t board_hash);
    // The board's match ended with the last step run: watchers need none of the steps until the next.
    void board_ended() { feed_.board_ended(); }
    std::uint32_t next_step() const { return next_; }

    // --- rollback -------------------------------------------------------------------------------
    // The step the board is to go back to (its board before that step restored, then rewind()):
    // the earliest run with a prediction the other side's real commands contradict, or one beyond the
    // step both stop at. NO_STEP when none.
    std::uint32_t rollback_to() const { return rollback_from_; }
    // The board is back before rollback_to(): the steps from there run again up to the present.
    void rewind();
    // Steps are being run again after a rewind: the caller runs them at once, not at the game's pace.
    bool replaying() const { return next_ < present_; }
    // Steps before this one ran with both sides' real commands: they can no longer change.
    std::uint32_t confirmed() const { return confirmed_; }
    // The other side's commands are known for the steps before this one.
    std::uint32_t remote_until() const { return remote_until_; }
    // Called for every step as it becomes confirmed, in order, with its commands (blue's first): the
    // one place a step's commands are final, for anyone who follows the match.
    using confirmed_step = std::function<void(std::uint32_t step, const std::vector<board_command>&)>;
    void on_confirmed(confirmed_step feed) { confirmed_feed_ = std::move(feed); }

    // --- match control --------------------------------------------------------------------------
    // Also during a match: then it asks the other side to give this one up, which it accepts by
    // being ready too or refuses with decline_next_match. Once both are, the host names the step the
    // match stops at (as for a leave), both boards run on to it, and the next match begins on both
    // from there: both recordings of the match end alike.
    void ready_for_next_match();
    // Refuses the next match the other side is ready for; it is told, and may ask again.
    void decline_next_match();
    // True once after the other side refused the next match this side was ready for.
    bool take_declined();
    bool ready_here() const { return ready_here_; }
    bool ready_there() const { return ready_there_; }
    // True once when both sides are ready: the board starts the next match now. No step is ready
    // until it is taken.
    bool take_new_match();
    // Leaving a match: both boards stop at the same step, so that both recordings end alike. This
    // side announces the step (a few ahead, where the other side may already be) and runs on to it,
    // as the other side does once it hears; steps are not ready beyond it.
    void announce_leave();
    bool leave_step_reached() const { return confirmed_ >= stop_at_ && rollback_from_ == NO_STEP; }
    // Tells the other side (if not announced yet) and closes the connection, waiting briefly so that
    // the word gets out.
    void leave();
    // Once OVER: whether the board stopped at a step the other side stops at too (a leave's, or the
    // match's end), so that both recordings end there. When not (a lost connection, boards out of
    // sync), the last checkpoint both sides found alike is where both recordings can end the same:
    // agreed_step() steps, the board's hash then agreed_hash(); 0 before the first.
    bool stopped_together() const { return stopped_together_; }
    std::uint32_t agreed_step() const { return hashes_.agreed_step(); }
    std::uint64_t agreed_hash() const { return hashes_.agreed_hash(); }

  private:
    void send(const netmsg::message& m, CNetLink::delivery how = CNetLink::RELIABLE);
    void send_inputs(CNetLink::delivery how = CNetLink::UNRELIABLE);
    void send_about_next_match(netmsg::message_type type);
    void check_left();
    void decide_stop();
    void stop_at(std::uint32_t step);
    void check_next_match();
    void start_match();
    void end(const std::string& why);
    void judge(CHashCheck::verdict v);
    void check_at(std::uint32_t step, std::uint64_t board_hash);
    void confirm_steps();
    std::vector<board_command> inputs_at(std::uint32_t step) const;
    void schedule_own_commands();
    void measure_round_trip(std::uint32_t ack);
    void on_event(const CNetLink::event& e);
    void on_candidate_message(const CNetLink::event& e);
    void on_watcher_message(const CNetLink::event& e);
    void on_player_message(const netmsg::message& m);
    void on_inputs(const netmsg::message& m);
    netmsg::message welcome() const;
    void refuse(int peer, netmsg::refusal why, bool say_version = false);
    void forget_candidate(int peer);

    net_identity me_;
    CNetLink link_;
    CWatchFeed feed_{link_};  // watchers, host only
    phase phase_ = IDLE;
    std::string note_;
    std::string host_name_;  // what the joining side connected to, for messages
    struct candidate {
        int peer;
        double since;
    };
    std::vector<candidate> candidates_;  // connections whose greeting the host awaits
    int player_ = -1;                    // the other side's connection
    double now_ = 0;
    double started_ = -1;  // when joining began
    double last_heard_ = 0;
    double last_sent_ = 0;  // the last commands message
    double hello_sent_ = -1;
    double round_trip_ = -1;
    struct sent_until {
        std::uint32_t until;
        double at;
    };
    std::deque<sent_until> unanswered_;  // when each new `until` went out, for the round trip

    station_side local_side_ = BLUE_STATION;
    int delay_ = DEFAULT_DELAY;
    int match_ = 0;
    bool rollback_ = false;
    std::uint32_t next_ = 0;
    std::uint32_t present_ = 0;    // the furthest the board has run; beyond next_ while replaying
    std::uint32_t confirmed_ = 0;  // steps before this one are final
    std::uint32_t own_until_ = 0;  // this side's commands are final before this step
    std::uint32_t rollback_from_ = NO_STEP;
    std::map<std::uint32_t, std::uint64_t> unconfirmed_hashes_;  // checkpoints run, not yet final
    confirmed_step confirmed_feed_;
    std::uint32_t remote_until_ = 0;
    std::deque<netmsg::timed_input> local_;    // scheduled, not yet confirmed
    std::deque<netmsg::timed_input> unacked_;  // not yet known to have arrived
    std::uint32_t acked_ = 0;                  // the other side knows our commands before this step
    std::deque<netmsg::timed_input> remote_;   // known, not yet confirmed
    CCommandBudget local_budget_;
    CCommandBudget remote_budget_;
    CAckOrder remote_acks_;
    CHashCheck hashes_;

    bool ready_here_ = false;
    bool ready_there_ = false;
    bool new_match_ = false;
    bool declined_ = false;
    std::uint32_t stop_at_ = UINT32_MAX;  // the step a leave or the next match was announced for
    bool stop_decided_ = false;           // for the next match, by the host
    bool announced_ = false;
    bool left_there_ = false;
    bool stopped_together_ = false;
};
