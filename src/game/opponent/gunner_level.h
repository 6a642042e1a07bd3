#pragma once

// How well the gunner plays at one of the difficulty buttons: what a person's skill changes.
struct gunner_level {
    int lead;             // steps from a plan's board to the first key it presses: reaction and thought
    int trial_budget;     // trial steps it may run per logic step, at least one whole trial flight (351)
                          // and one look ahead to a release (lead + 125); a plan has `lead` steps to finish
    int aims;             // aims tried around the direct line to the target
    float aim_spread;     // radians either side of the direct line those aims cover
    int charges;          // charges tried with each aim, spread from light to nearly full
    int refine_rounds;    // rounds of trying the best shot's neighbours
    float aim_error;      // spread of the error on the aim it turns to, radians
    float charge_error;   // spread of the error on the charge it holds
    int hand_draws;       // errors it draws for a shot, each tried, before it gives the shot up
    int missile_reserve;  // missiles it keeps back unless a trial hits
    int rest;             // steps it waits after a shot before planning the next
    int threat_check;     // steps between looks for a missile about to hit it; 0: it never defends
    int defence_percent;  // of the threats it sees, how many it answers
    int flare_reserve;    // flares it keeps for a threat it cannot otherwise answer
};

// The level of a difficulty (global::EASY, MEDIUM or HARD); anything else plays as MEDIUM.
gunner_level gunner_level_for(int difficulty);
