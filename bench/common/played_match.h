#pragma once

// A match without missiles as it is played, the one whose frames the frame benchmarks judge: both stations
// turning, the blue one charging now and then (and letting the charge go), a logic step before every frame.
class CPlayedMatch {
  public:
    // Starts turning both stations on the board as it stands (a fresh match).
    CPlayedMatch();
    // The commands due now, then one logic step.
    void step();

  private:
    int steps_ = 0;
};
