#pragma once

/// An obstacle segment from (x1, y1) to (x2, y2), in the experiment's length unit (metres for
/// recordings).
struct Segment {
    float x1 = 0.0f;
    float y1 = 0.0f;
    float x2 = 0.0f;
    float y2 = 0.0f;
};

/// True when all four coordinates compare equal as floats (so 0 equals -0, and NaN nothing).
inline bool operator==(const Segment& a, const Segment& b) {
    return a.x1 == b.x1 && a.y1 == b.y1 && a.x2 == b.x2 && a.y2 == b.y2;
}

inline bool operator!=(const Segment& a, const Segment& b) {
    return !(a == b);
}
