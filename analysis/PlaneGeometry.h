#pragma once

#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>

/// The plane types of the measurements, in Boost.Geometry's models: metres, double precision.
/// Polygons are clockwise and closed (Boost's defaults); build them through
/// boost::geometry::correct or the classes of this folder, which do.
using PlanePoint = boost::geometry::model::d2::point_xy<double>;
/// A polygon without holes in practice (measurement and walkable areas, cells).
using PlanePolygon = boost::geometry::model::polygon<PlanePoint>;
/// A region of one or more polygons: a cell cut by a walkable area that is not convex may fall
/// apart.
using PlaneRegion = boost::geometry::model::multi_polygon<PlanePolygon>;
