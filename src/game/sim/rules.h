#pragma once

// The game's rule numbers, in world units and logic steps (LPS, 100 steps a second).

// Stations
constexpr float ORBIT_RADIUS = 5.0f;  // a station circles its planet's centre at this distance
constexpr float AIM_STEP = 0.03f;     // radians the aim turns per step while a turn key is held
constexpr int FULL_SHIELDS = 100;     // ten hits end a match
constexpr int HIT_DAMAGE = 10;        // shields a station loses to one blast
constexpr int FULL_MISSILES = 10;     // the missile stock at the start; refills stop there
constexpr int FULL_FLARES = 5;        // the flare stock at the start; refills stop there

// Firing
constexpr float CHARGE_STEP = 0.02f;       // charge gained per step while primary fire is held
constexpr float FULL_CHARGE = 2.5f;        // a charge this high fires by itself
constexpr int MISSILE_SPEED_DIVISOR = 40;  // a missile leaves at (charge + 1) / 40 units per step
constexpr int FLARE_SPEED_DIVISOR = 15;    // a flare leaves at 1 / 15 units per step

// Flight
constexpr float PULL = 0.0015f;        // each planet pulls with this strength over the distance
constexpr int ARMING_STEPS = 20;       // a missile cannot explode sooner, so it clears its own station
constexpr float PLANET_REACH = 2.5f;   // an armed missile explodes, and a flare vanishes, this near a planet
constexpr float STATION_REACH = 0.5f;  // an armed missile explodes this near a station
constexpr float FLARE_REACH = 0.3f;    // a flare explodes this near a missile
constexpr float BLAST_REACH = 1.0f;    // a new explosion destroys missiles and hits stations this near

// Lifetimes, in steps
constexpr int EXPLOSION_FRAMES = 13;      // pictures in the explosion strip
constexpr int EXPLOSION_FRAME_STEPS = 7;  // steps each picture shows: an explosion lasts (13 - 1) * 7
constexpr int TRAIL_LIFETIME = 200;       // a trail dot fades out over this many steps
constexpr int FLARE_TRAIL_START = 150;    // flare trail dots start this far into that life: shorter trails
constexpr int HIT_LABEL_LIFETIME = 200;   // a "HIT" label rises for this many steps
constexpr float HIT_LABEL_RISE = 0.005f;  // units a "HIT" label rises per step

// Refills, on the match clock
constexpr int MISSILE_REFILL_PERIOD = 300;  // one missile back every three seconds
constexpr int FLARE_REFILL_PERIOD = 150;    // one flare back every second and a half
constexpr int CLOCK_PERIOD = 600;           // the match clock wraps here, a multiple of both periods
