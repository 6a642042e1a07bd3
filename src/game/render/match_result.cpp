#include "game/render/match_result.h"

#include "game/netplay/network_match.h"
#include "game/render/match_time.h"
#include "game/sim/global.h"
#include "game/sim/match_tally.h"
#include "graphics/graphics.h"
#include "interface/key_names.h"

namespace {

using namespace global;

float won_colour[4] = {0.4f, 0.9f, 0.4f, 1};
float lost_colour[4] = {0.95f, 0.45f, 0.4f, 1};
float grey[4] = {0.8f, 0.8f, 0.8f, 1};

constexpr float OWN_RESULT_SIZE = 40;
constexpr float FIGURES_SIZE = 20;
constexpr float FIGURES_LINE = 22;

std::string percent(int part, int whole) {
    return whole > 0 ? int2string((200 * part + whole) / (2 * whole)) + "%" : "-";
}

}  // namespace

std::string own_result() {
    station_side own = BLUE_STATION;
    if (network_match::playing())
        own = network_match::own_side();
    else if (players != SINGLE)
        return "";
    const bool blue_gone = station1->shields <= 0;
    const bool red_gone = station2->shields <= 0;
    if (blue_gone && red_gone)
        return "Draw";
    if (!blue_gone && !red_gone)
        return "";
    const bool own_gone = own == BLUE_STATION ? blue_gone : red_gone;
    return own_gone ? "You lost" : "You won";
}

text_table result_figures(const CMatchTally& tally) {
    text_table table;
    table.size = FIGURES_SIZE;
    table.line = FIGURES_LINE;
    table.numbers = true;
    const side_tally& blue = tally.sides[BLUE_STATION];
    const side_tally& red = tally.sides[RED_STATION];
    table.rows = {
        {"", "BLUE", "RED"},
        {"Shots", int2string(blue.shots), int2string(red.shots)},
        {"Hits", int2string(blue.hits), int2string(red.hits)},
        {"Accuracy", percent(blue.hits, blue.shots), percent(red.hits, red.shots)},
        {"Flares thrown", int2string(blue.flares), int2string(red.flares)},
        {"Missiles caught", int2string(blue.intercepts), int2string(red.intercepts)},
    };
    return table;
}

std::string match_length(const CMatchTally& tally) {
    return "Match length " + match_time(static_cast<std::uint64_t>(tally.steps), LPS);
}

void draw_match_result(int W, int H, int lines_below) {
    const std::string own = own_result();
    if (!own.empty()) {
        set_color(own == "You won" ? won_colour : own == "You lost" ? lost_colour : grey);
        write(W / 2, H / 2 + 45, own, OWN_RESULT_SIZE, OWN_RESULT_SIZE, CENTER);
    }
    set_color(grey);
    const text_table figures = result_figures(tally);
    const float top = static_cast<float>(H / 2 - 30 * lines_below - 45);
    draw_table(figures, static_cast<float>(W / 2) - table_width(figures) / 2, top);
    const float below = top - FIGURES_LINE * static_cast<float>(figures.rows.size()) - 6;
    write(W / 2, below, match_length(tally), FIGURES_SIZE, FIGURES_SIZE, CENTER);
}
