#include "views/selection.h"

#include "model/table_edits.h"

namespace views {

int MarkCornersInBand(model::FaceTable& table, render::PaneRole role,
                      const render::PaneGeometry& geometry, const ports::Rect& band, int value) {
    if (!render::IsOrthographic(role)) return 0;
    return model::MarkCornersInBand(
        table, [&](const rm::Vector& p) { return geometry.ToScreen(render::PlaneOf(role, p)); },
        band.left, band.top, band.right, band.bottom, value);
}

}  // namespace views
