// Splitting a polygon into triangles. The model keeps faces of at most kMaxFaceCorners
// corners; a larger polygon from a file is cut into triangles that cover exactly its
// outline, so that nothing is drawn outside a concave outline and no corner is lost.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "rm/types.h"

namespace rm {

// The most corners a face of the model keeps (the face table's limit).
constexpr std::size_t kMaxFaceCorners = 16;

using Triangle = std::array<std::uint32_t, 3>;

// Cuts the polygon with the corners `corners` (positions in outline order) into
// corners.size() - 2 triangles of corner numbers (0-based), each in the polygon's own
// winding. Ear clipping in the polygon's plane: right for convex and concave outlines,
// keyholes (a hole joined to the outline by a doubled edge) included. An outline that
// cannot be clipped (self-intersecting, or one that needs more than a fixed amount of
// work) is finished as a fan. Nothing for fewer than 3 corners. `out` is replaced.
void SplitPolygon(std::span<const Vector> corners, std::vector<Triangle>& out);

}  // namespace rm
