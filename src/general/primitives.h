#pragma once

class CFigure;

// The 2-D vector used for every position, velocity and offset in the engine.
class CVector {
public:
    float x;
    float y;

    CVector() {}
    CVector(const CVector& v) = default;
    CVector(float a, float b);
    // The vector from point a to point b.
    CVector(CVector a, CVector b);

    CVector operator=(CVector v);
    CVector operator+(CVector v);
    CVector operator-(CVector v);
    CVector operator*(float a);
    CVector operator/(float a);
    float operator*(CVector v);

    // This vector turned counter-clockwise by a radians; this vector is unchanged.
    CVector rotate(float a);
    float len();
    // Scales this vector in place to length 1 and returns it.
    CVector norm();
};

// One fan triangle of a rigid figure: two corners relative to the figure's centre.
class CTri {
public:
    CVector a;
    CVector b;
    CFigure* par;

    CTri(float ax, float ay, float bx, float by, CFigure* p);
    // True when the world point lies strictly inside this triangle as placed by its figure.
    bool check_col(CVector vec);
};

float max(float num1, float num2);
float min(float num1, float num2);
