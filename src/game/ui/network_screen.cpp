#include "game/ui/network_screen.h"

#include <string>
#include <vector>

#include "game/config/settings.h"
#include "game/netplay/network_address.h"
#include "game/netplay/network_match.h"
#include "game/sim/global.h"
#include "game/ui/menu_windows.h"
#include "graphics/graphics.h"
#include "interface/window.h"
#include "platform/glfw2.h"

namespace network_screen {

namespace {

using namespace global;

constexpr std::size_t MAX_TYPED = 64;
// The network menu's buttons by index.
enum class network_button { HOST = 0, JOIN = 1, BACK = 2, WATCH = 3 };

float grey[4] = {0.8f, 0.8f, 0.8f, 1};
float field[4] = {0, 0, 0, 0.6f};
float note_shade[4] = {0, 0, 0, 0.6f};

std::string typed;          // the address to join
std::string problem;        // what was wrong with the last attempt, shown under the field
bool started_here = false;  // the session was started from this screen, not from the command line

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

void start(network_button how) {
    std::string host;
    std::uint16_t port = static_cast<std::uint16_t>(settings.network_port);
    if (how == network_button::HOST) {
        network_match::host_soon(port);
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
    problem.clear();
    menu_state = NETWORK;
}

void key(int key, int action) {
    if (action != glfw2::PRESS)
        return;
    if (key == glfw2::KEY_ESC) {
        back();
    } else if (network_match::active()) {
        return;
    } else if (key == glfw2::KEY_BACKSPACE && !typed.empty()) {
        typed.pop_back();
    } else if (key == glfw2::KEY_ENTER || key == glfw2::KEY_KP_ENTER) {
        start(network_button::JOIN);
    }
}

void character(int c) {
    if (network_match::active() || c < 0x21 || c > 0x7e || typed.size() >= MAX_TYPED)
        return;
    typed += static_cast<char>(c);
}

void click(int button) {
    switch (static_cast<network_button>(button)) {
        case network_button::HOST:
        case network_button::JOIN:
        case network_button::WATCH:
            if (!network_match::active())
                start(static_cast<network_button>(button));
            break;
        case network_button::BACK:
            back();
            break;
        default:
            break;
    }
}

void draw(int, int) {
    if (network_match::active() || network_menu == nullptr)
        return;
    network_menu->draw();
    const float ox = network_menu->x;
    const float oy = network_menu->y;
    draw_box(ox + 20, oy + 255, 260, 30, field);
    set_texture("font");
    set_color(grey);
    write(ox + 25, oy + 295, "Address to join:", 16, 16, LEFT);
    write(ox + 25, oy + 262, typed + "_", 16, 16, LEFT);
    // Two lines fit between the title and the field's label.
    const std::vector<std::string> lines = wrapped(problem, 46);
    for (std::size_t i = 0; i < lines.size() && i < 2; ++i)
        write(ox + 150, oy + 330 - 14 * static_cast<float>(i), lines[i], 12, 12, CENTER);
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
    const int top = H / 2 - 120;
    draw_box(0, static_cast<float>(top - 22 * static_cast<int>(lines.size()) - 8), static_cast<float>(W),
             static_cast<float>(22 * lines.size() + 20), note_shade);
    set_texture("font");
    set_color(grey);
    for (std::size_t i = 0; i < lines.size(); ++i)
        write(W / 2.0f, static_cast<float>(top - 22 * static_cast<int>(i + 1)), lines[i], 16, 16, CENTER);
}

}  // namespace network_screen
