#pragma once

#include <cstddef>

#include "core/Vec2.h"

/// One corner of an obstacle polygon. It stands for the edge from its point to the next
/// vertex's point; the vertices of one obstacle form a closed ring through next and previous.
/// The engine owns every vertex; the links are non-owning.
struct ObstacleVertex {
    /// True when the polygon turns left (or goes straight) at this corner; a two-vertex
    /// obstacle has two convex vertices.
    bool convex = true;
    ObstacleVertex* next = nullptr;
    Vec2 point;  ///< metres
    ObstacleVertex* previous = nullptr;
    /// Unit vector from this point towards the next vertex's point.
    Vec2 direction;
    /// Place in the engine's vertex list.
    std::size_t index = 0;

    /// False for an edge of zero length, whose direction the formulas cannot derive, and for
    /// one so short that its squared length is zero in float.
    bool hasLength() const {
        return next != nullptr && (next->point - point).squaredLength() > 0.0f;
    }
};
