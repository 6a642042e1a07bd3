#include "game/ui/network_screen.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "game/config/settings.h"
#include "game/netplay/network_address.h"
#include "game/netplay/network_match.h"
#include "game/sim/global.h"
#include "game/ui/menu_windows.h"
#include "game/ui/screen_flow.h"
#include "graphics/graphics.h"
#include "graphics/interface_frame.h"
#include "interface/window.h"
#include "platform/glfw2.h"

namespace network_screen {

namespace {

using namespace global;

constexpr std::size_t MAX_TYPED = 64;
constexpr std::size_t MAX_CODE_TYPED = 8;  // six symbols, and room for a dash or a space
// The network menu's buttons by index: the first three in the panel, the online ones beside it, then
// Watch between the address and Host.
enum class network_button { HOST = 0, JOIN = 1, BACK = 2, HOST_ONLINE = 3, JOIN_CODE = 4, WATCH = 5 };
// The typing goes to one field at a time: Tab or a click on the other moves it.
enum class field { ADDRESS, CODE };
// Where the fields sit in the network menu, in its own coordinates.
struct box {
    float x, y, w, h;
};
constexpr box ADDRESS_FIELD = {20, 255, 260, 30};
constexpr box CODE_FIELD = {320, 255, 200, 30};
constexpr box ONLINE_PANEL = {310, 0, 220, 375};

// Said instead of trying, on a target that has no network play.
const char* const NOT_HERE = "Network play is not in the browser version yet: the desktop version plays it";

float grey[4] = {0.8f, 0.8f, 0.8f, 1};
float field_shade[4] = {0, 0, 0, 0.6f};
float note_shade[4] = {0, 0, 0, 0.6f};
float online_panel[4] = {0, 0.1f, 0.2f, 0.4f};  // as the network panel's own

std::string typed;         // the address to join
std::string problem;       // what was wrong with the last attempt, shown under the field
std::string typed_code;    // the invite code to join, upper-cased
std::string code_problem;  // the same for the code, under its field
field focus = field::ADDRESS;
bool started_here = false;  // the session was started from this screen, not from the command line

bool inside(const box& b, float x, float y) {
    return b.x <= x && x <= b.x + b.w && b.y <= y && y <= b.y + b.h;
}

// Lines of at most `width` characters, broken between words where a word allows it.
std::vector<std::string> wrapped(const std::string& text, std::size_t width) {
    std::vector<std::string> lines(1);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string word = text.substr(start, end - start);
        if (!lines.back().empty() && lines.back().size() + 1 + word.size() > width)
            lines.emplace_back();
        lines.back() += (lines.back().empty() ? "" : " ") + word;
        start = end + 1;
    }
    return lines;
}

// Up to `most` lines down from `y`, centred on `x`.
void problem_lines(float x, float y, const std::string& text, std::size_t width, std::size_t most) {
    const std::vector<std::string> lines = wrapped(text, width);
    for (std::size_t i = 0; i < lines.size() && i < most; ++i)
        write(x, y - 14 * static_cast<float>(i), lines[i], 12, 12, CENTER);
}

// A note's band: its lines NOTE_LINE apart down from its top line, the shade reaching NOTE_ABOVE over that
// and NOTE_BELOW under the last line.
constexpr int NOTE_LINE = 22;
constexpr int NOTE_ABOVE = 12;
constexpr int NOTE_BELOW = 8;
// Under a menu the band keeps this far from its lowest edge, and clear of the frame rate's line.
constexpr int NOTE_GAP = 6;
constexpr int FRAME_RATE_TOP = 26;

// Where a note of `lines` lines starts: with a menu on screen, under the menu (its window and its lowest
// button), where it has room above the frame rate; otherwise a little below the middle of the frame.
int note_top(int H, int lines) {
    const int middle = H / 2 - 120;
    const CWindow* menu = current_menu();
    if (menu == nullptr)
        return middle;
    float lowest = menu->y;
    for (const CButton* b : menu->buttons)
        lowest = std::min(lowest, menu->y + b->y);
    const int top = static_cast<int>(std::floor(lowest)) - NOTE_GAP - NOTE_ABOVE;
    return top - NOTE_LINE * lines - NOTE_BELOW >= FRAME_RATE_TOP ? top : middle;
}

// The waiting host's invite code, large, over the note that tells what to do with it.
void draw_invite_code(int W, int H) {
    const std::string code = network_match::invite_code();
    if (code.empty())
        return;
    set_texture("font");
    set_color(grey);
    write(W / 2.0f, H / 2.0f + 40, "Invite code for the other player:", 20, 20, CENTER);
    write(W / 2.0f, H / 2.0f - 40, code, 64, 64, CENTER);
}

bool code_accepted() {
    if (!network_match::server_configured())
        code_problem = "No rendezvous server is set up: join by address";
    else if (!network_match::valid_code(typed_code))
        code_problem = "An invite code is six letters and digits";
    else
        return true;
    return false;
}

void start(network_button how) {
    if (!network_match::available()) {
        problem = NOT_HERE;
        return;
    }
    std::string host;
    std::uint16_t port = static_cast<std::uint16_t>(settings.network_port);
    if (how == network_button::HOST) {
        network_match::host_soon(port);
    } else if (how == network_button::HOST_ONLINE) {
        network_match::host_online_soon(port);
    } else if (how == network_button::JOIN_CODE) {
        if (!code_accepted())
            return;
        network_match::join_code_soon(typed_code);
    } else if (parse_address(typed, host, port, problem)) {
        if (how == network_button::WATCH)
            network_match::watch_soon(host, port);
        else
            network_match::join_soon(host, port);
        if (typed != settings.last_join) {
            settings.last_join = typed;
            settings.write();
        }
    } else {
        return;  // `problem` says why, under the field
    }
    problem.clear();
    code_problem.clear();
    // Watching comes back to this screen by itself.
    started_here = how != network_button::WATCH;
}

void back() {
    if (network_match::active() && started_here) {
        network_match::stop_waiting_soon();
        return;
    }
    if (network_match::active())
        network_match::leave_soon();
    menu_state = MAIN;
}

}  // namespace

void open() {
    typed = settings.last_join;
    problem = network_match::available() ? "" : NOT_HERE;
    code_problem.clear();
    focus = field::ADDRESS;
    menu_state = NETWORK;
}

void key(int key, int action) {
    if (action != glfw2::PRESS)
        return;
    if (key == glfw2::KEY_ESC) {
        back();
    } else if (network_match::active()) {
        return;
    } else if (key == glfw2::KEY_TAB) {
        focus = focus == field::ADDRESS ? field::CODE : field::ADDRESS;
    } else if (key == glfw2::KEY_BACKSPACE) {
        std::string& text = focus == field::ADDRESS ? typed : typed_code;
        if (!text.empty())
            text.pop_back();
    } else if (key == glfw2::KEY_ENTER || key == glfw2::KEY_KP_ENTER) {
        start(focus == field::ADDRESS ? network_button::JOIN : network_button::JOIN_CODE);
    }
}

void character(int c) {
    if (network_match::active() || c < 0x20 || c > 0x7e)
        return;
    if (focus == field::CODE) {
        if (typed_code.size() < MAX_CODE_TYPED && (std::isalnum(c) || c == '-' || c == ' '))
            typed_code += static_cast<char>(std::toupper(c));
    } else if (c == ' ') {
        problem = "An address has no spaces: the space was left out";
    } else if (typed.size() < MAX_TYPED) {
        typed += static_cast<char>(c);
    }
}

void click(int button) {
    const network_button which = static_cast<network_button>(button);
    if (which == network_button::BACK) {
        back();
    } else if (network_match::active() || network_menu == nullptr) {
        return;
    } else if (button >= 0) {
        start(which);
    } else {
        // Not a button: a field, perhaps, which then takes the typing.
        float x = 0, y = 0;
        CInterfaceFrame::pointer(x, y);
        const float mx = x - network_menu->x;
        const float my = y - network_menu->y;
        if (inside(ADDRESS_FIELD, mx, my))
            focus = field::ADDRESS;
        else if (inside(CODE_FIELD, mx, my))
            focus = field::CODE;
    }
}

void draw(int W, int H) {
    if (network_menu == nullptr)
        return;
    if (network_match::active()) {
        draw_invite_code(W, H);
        return;
    }
    const float ox = network_menu->x;
    const float oy = network_menu->y;
    draw_box(ox + ONLINE_PANEL.x, oy + ONLINE_PANEL.y, ONLINE_PANEL.w, ONLINE_PANEL.h, online_panel);
    network_menu->draw();
    draw_box(ox + ADDRESS_FIELD.x, oy + ADDRESS_FIELD.y, ADDRESS_FIELD.w, ADDRESS_FIELD.h, field_shade);
    draw_box(ox + CODE_FIELD.x, oy + CODE_FIELD.y, CODE_FIELD.w, CODE_FIELD.h, field_shade);
    set_texture("font");
    set_color(grey);
    write(ox + 420, oy + 340, "Internet", 20, 20, CENTER);
    write(ox + 25, oy + 295, "Address to join:", 16, 16, LEFT);
    write(ox + 25, oy + 262, typed + (focus == field::ADDRESS ? "_" : ""), 16, 16, LEFT);
    write(ox + 325, oy + 295, "Invite code:", 16, 16, LEFT);
    write(ox + 325, oy + 262, typed_code + (focus == field::CODE ? "_" : ""), 16, 16, LEFT);
    // Two lines fit between the title and the address field's label (Watch sits under the field);
    // three between the code field and the first button.
    problem_lines(ox + 150, oy + 330, problem, 46, 2);
    problem_lines(ox + 420, oy + 235,
                  !code_problem.empty()                ? code_problem
                  : !network_match::available()        ? NOT_HERE
                  : network_match::server_configured() ? ""
                                                       : "No rendezvous server is set up: direct play and "
                                                         "the router's port mapping only",
                  34, 3);
}

std::string note() {
    return network_match::note();
}

void draw_note(int W, int H) {
    const std::string note = network_screen::note();
    if (note.empty())
        return;
    std::vector<std::string> lines(1);
    for (char c : note) {
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back() += c;
    }
    const int n = static_cast<int>(lines.size());
    const int top = note_top(H, n);
    // A band across the whole window, margins included.
    const frame_box across = CInterfaceFrame::mapping().whole_window();
    draw_box(across.x, static_cast<float>(top - NOTE_LINE * n - NOTE_BELOW), across.width,
             static_cast<float>(NOTE_LINE * n + NOTE_BELOW + NOTE_ABOVE), note_shade);
    set_texture("font");
    set_color(grey);
    for (int i = 0; i < n; ++i)
        write(W / 2.0f, static_cast<float>(top - NOTE_LINE * (i + 1)), lines[static_cast<std::size_t>(i)], 16,
              16, CENTER);
}

}  // namespace network_screen
