#include "views/selection.h"

#include <algorithm>

namespace views {

int MarkCornersInBand(model::FaceTable& table, render::PaneRole role,
                      const render::PaneGeometry& geometry, const ports::Rect& band, int value) {
    if (!render::IsOrthographic(role)) return 0;
    int inside = 0;
    const int faces = std::min(table.faceCount, model::MAX_FACES);
    for (int f = 0; f < faces; ++f) {
        const int n = std::min(table.vertexCount[f], model::MAX_FACE_VERTICES);
        for (int k = 0; k < n; ++k) {
            const ports::Point s = geometry.ToScreen(render::PlaneOf(role, table.position[f][k]));
            if (s.x >= band.left && s.x <= band.right && s.y >= band.top && s.y <= band.bottom) {
                table.selected[f][k] = value;
                ++inside;
            }
        }
    }
    return inside;
}

}  // namespace views
