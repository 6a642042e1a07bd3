#include "game/sim/classic_computer.h"

#include "game/sim/match_clock.h"
#include "general/texture_names.h"

namespace {

struct firing_point {
    double lower;
    double upper;
    float charge;
    float aim;
};

// Windows centred on k * 3.1415 / 8, half as wide as one step of the station's turn.
const firing_point firing_points[16] = {
    {-0.0011, 0.0011, 1.0f, -1.4f},    {0.3915875, 0.3937875, 1.0f, -1.3f},
    {0.784275, 0.786475, 1.0f, -1.2f}, {1.1769625, 1.1791625, 1.0f, -1.3f},
    {1.56965, 1.57185, 1.0f, -1.85f},  {1.9623375, 1.9645375, 1.0f, -2.1f},
    {2.355025, 2.357225, 1.0f, -2.1f}, {2.7477125, 2.7499125, 1.0f, -2.0f},
    {3.1404, 3.1426, 1.0f, -1.6f},     {3.5330875, 3.5352875, 1.0f, -1.6f},
    {3.925775, 3.927975, 0.7f, -1.0f}, {4.3184625, 4.3206625, 1.0f, -1.2f},
    {4.71115, 4.71335, 0.3f, 0.0f},    {5.1038375, 5.1060375, 0.6f, -2.1f},
    {5.496525, 5.498725, 0.6f, -2.1f}, {5.8892125, 5.8914125, 0.6f, -2.0f},
};

// Where on the red orbit the station's mirror image stands; angles wrap at 6.2831 as the bodies' do.
double mirrored(double angle) {
    double phi = -angle;
    return phi <= firing_points[0].lower ? phi + 6.2831 : phi;
}

}  // namespace

void classic_computer(global::CStation* station, station_side side) {
    const int difficulty = global::difficulty;
    const bool mirror = side == BLUE_STATION;
    const double phi = mirror ? mirrored(station->particle->ang_pos) : station->particle->ang_pos;
    for (const firing_point& fp : firing_points) {
        if (!(fp.lower < phi && phi <= fp.upper))
            continue;
        // A difficulty that is not a positive divisor never fires (and never divides by zero).
        if (difficulty > 0 && match_clock::roll() % difficulty == 0) {
            station->loaded = fp.charge;
            station->aim = mirror ? -fp.aim : fp.aim;
            station->shoot_rocket(texture_id("missile"));
        }
        return;
    }
}
