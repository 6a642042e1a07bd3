#include "general/primitives.h"

#include <cmath>

#include "general/board_math.h"

CVector::CVector(float a, float b) : x(a), y(b) {}

CVector::CVector(CVector a, CVector b) : x(b.x - a.x), y(b.y - a.y) {}

CVector CVector::operator=(CVector v) {
    x = v.x;
    y = v.y;
    return *this;
}

CVector CVector::operator+(CVector v) { return CVector(x + v.x, y + v.y); }

CVector CVector::operator-(CVector v) { return CVector(x - v.x, y - v.y); }

CVector CVector::operator*(float a) { return CVector(x * a, y * a); }

CVector CVector::operator/(float a) { return CVector(x / a, y / a); }

float CVector::operator*(CVector v) { return x * v.x + y * v.y; }

CVector CVector::rotate(float a) {
    float c = board_math::cos(a);
    float s = board_math::sin(a);
    return CVector(x * c - y * s, x * s + y * c);
}

float CVector::len() { return std::sqrt(x * x + y * y); }

CVector CVector::norm() {
    float k = 1 / len();
    x *= k;
    y *= k;
    return *this;
}

CTri::CTri(float ax, float ay, float bx, float by, CFigure* p) : a(ax, ay), b(bx, by), par(p) {}

float max(float num1, float num2) { return num2 > num1 ? num2 : num1; }

float min(float num1, float num2) { return num2 > num1 ? num1 : num2; }
