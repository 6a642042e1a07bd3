#pragma once

// Engine-wide physics constants; only rigid figures use gravity.
class CPhysics {
public:
    static float gravity;
    static float grav() { return gravity; }
};
