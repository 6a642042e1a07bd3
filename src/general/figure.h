#pragma once

#include <list>
#include <vector>

#include "general/particle.h"
#include "general/primitives.h"
#include "graphics/graphical.h"

// A rigid polygon around its centre, split into a fan of triangles (one per edge, apex at the centre).
// The polygon must be star-shaped around the centre for the fan to cover it.
class CFigure {
  public:
    graphical gfx;
    physical props;
    // Last contact found: 0 none, 1 one of this figure's corners, 2 one of its edges.
    int col_type;
    // The contact corner (type 1) or the hit edge's two ends (type 2), in the figure's unturned frame.
    CVector col_points[2];
    CVector pos;
    CVector vel;
    float ang_vel;
    float ang_pos;
    int tri_num;
    int type;
    // Owned by the figure; triangle i runs from corner i to corner i + 1.
    std::vector<CTri*> triangles;

    // Appends itself to `figures`. Fewer than two corners (or no corner list) make an empty figure
    // with no triangles, which never collides and draws nothing.
    CFigure(float a, float b, int n, float (*pts)[2]);
    // Releases the triangles and leaves `figures`.
    virtual ~CFigure();
    CFigure(const CFigure&) = delete;
    CFigure& operator=(const CFigure&) = delete;

    void set_phy(bool s, float a, float b, float m, float i);
    void reset();

    // Separates a penetration with fig and records it in both: 0 none, 1 a corner of this figure
    // was inside fig, 2 a corner of fig was inside this figure.
    int check_col(CFigure* fig);
    // Collision impulse; called on the figure whose edge was hit, with the one whose corner hit.
    void solve_col(CFigure* fig);
    // Gravity, motion, then collisions with every other figure.
    void update();

    void set_gfx(int tex, float* col, bool out, float* o_col);
    void display();
    virtual void draw();
    // The outline, then the fan in the outline's line mode and colour: a pair that leaves the line mode
    // set, for display to put back.
    void draw_o();
    void draw_grid();
    void display_col();

  private:
    int check_col(CFigure* fig, int depth);
};

// Every live figure in order of construction.
extern std::list<CFigure*> figures;

CFigure* new_circle(float a, float b, float r, float density);
// a wide, b high, centred at (x, y).
CFigure* new_box(float x, float y, float a, float b, float density);
// Right triangle in the a by b box centred at (x, y): top edge, right side, hypotenuse.
CFigure* new_triangle(float x, float y, float a, float b, float density);
