#include "model/table_edits.h"

#include <cmath>

namespace model {

namespace {

float& Coord(rm::Vector& p, int axis) {
    return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
}

bool IsFinite(const rm::Vector& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Runs `change` on a copy of every selected corner's position and keeps the result only
// when all three coordinates are finite.
template <typename Change>
int ForEachSelected(FaceTable& t, Change change) {
    int moved = 0;
    t.ForEachCorner([&](int f, int k) {
        if (t.selected[f][k] != 1) return;
        rm::Vector p = t.position[f][k];
        change(p);
        if (IsFinite(p)) {
            t.position[f][k] = p;
            ++moved;
        }
    });
    return moved;
}

}  // namespace

int MoveSelectedInPlane(FaceTable& table, PlaneAxes a, float dh, float dv) {
    return ForEachSelected(table, [&](rm::Vector& p) {
        Coord(p, a.h) = Coord(p, a.h) - dh;
        Coord(p, a.v) = Coord(p, a.v) + dv;
    });
}

int TurnSelectedInPlane(FaceTable& table, PlaneAxes a, float ch, float cv, double c, double sn) {
    return ForEachSelected(table, [&](rm::Vector& p) {
        const float dh = Coord(p, a.h) - ch;
        const float dv = Coord(p, a.v) - cv;
        Coord(p, a.h) = static_cast<float>(double(ch) + c * double(dh) + sn * double(dv));
        Coord(p, a.v) = static_cast<float>(double(cv) - sn * double(dh) + c * double(dv));
    });
}

int ScaleSelected(FaceTable& table, const float centre[3], float t) {
    const float c[3] = {centre[0], centre[1], centre[2]};
    return ForEachSelected(table, [&](rm::Vector& p) {
        p.x = p.x - (p.x - c[0]) * t;
        p.y = p.y - (p.y - c[1]) * t;
        p.z = p.z - (p.z - c[2]) * t;
    });
}

int StretchSelectedInPlane(FaceTable& table, PlaneAxes a, float ch, float cv, float th, float tv) {
    return ForEachSelected(table, [&](rm::Vector& p) {
        float& h = Coord(p, a.h);
        float& v = Coord(p, a.v);
        h = h - (h - ch) * th;
        v = v + (v - cv) * tv;
    });
}

int MoveSelected(FaceTable& table, float x, float y, float z) {
    return ForEachSelected(table, [&](rm::Vector& p) {
        p.x = p.x + x;
        p.y = p.y + y;
        p.z = p.z + z;
    });
}

int StretchSelected(FaceTable& table, const float rate[3], const rm::Vector& centre) {
    constexpr float kHundred = 100.0f;
    constexpr float kPercent = 0.01f;  // 0x3C23D70A
    const float c[3] = {centre.x, centre.y, centre.z};
    const float r[3] = {rate[0], rate[1], rate[2]};
    return ForEachSelected(table, [&](rm::Vector& p) {
        for (int axis = 0; axis < 3; ++axis) {
            float& q = Coord(p, axis);
            q = q - ((kHundred - r[axis]) * (q - c[axis])) * kPercent;
        }
    });
}

int RotateSelected(FaceTable& table, int axis, double degrees, const rm::Vector& centre) {
    if (axis < 0 || axis > 2) return 0;
    const double theta = degrees * -0.017453292522222223;  // -pi / 180, pi = 3.141592654
    const double s = std::sin(theta);
    const double c = std::cos(theta);
    return ForEachSelected(table, [&](rm::Vector& p) {
        const double dx = double(p.x - centre.x);
        const double dy = double(p.y - centre.y);
        const double dz = double(p.z - centre.z);
        switch (axis) {
            case 0:
                p.y = static_cast<float>(double(centre.y) + (c * dy + s * dz));
                p.z = static_cast<float>(double(centre.z) + (c * dz - s * dy));
                break;
            case 1:
                p.x = static_cast<float>(double(centre.x) + (c * dx + s * dz));
                p.z = static_cast<float>(double(centre.z) + (c * dz - s * dx));
                break;
            default:
                p.x = static_cast<float>(double(centre.x) + (c * dx - s * dy));
                p.y = static_cast<float>(double(centre.y) + (s * dx + c * dy));
                break;
        }
    });
}

void InvertSelection(FaceTable& table) {
    table.ForEachCorner(
        [&table](int f, int k) { table.selected[f][k] = table.selected[f][k] == 0 ? 1 : 0; });
}

bool IsFullySelected(const FaceTable& table, int f) {
    for (int k = 0; k < table.CornersOf(f); ++k) {
        if (table.selected[f][k] == 0) return false;
    }
    return true;
}

bool AnyFullySelected(const FaceTable& table) {
    for (int f = 0; f < table.Faces(); ++f) {
        if (IsFullySelected(table, f)) return true;
    }
    return false;
}

int CutFullySelected(FaceTable& table, ModelHost& host) {
    int deleted = 0;
    if (host.m_pMesh) {
        for (int f = table.Faces() - 1; f >= 0; --f) {
            if (!IsFullySelected(table, f)) continue;
            if (host.m_pMesh->DeleteFace(host.m_pMesh->GetFace(f))) ++deleted;
        }
    }
    table.ReadFromMesh(host);
    table.ClearSelection();
    return deleted;
}

AddPolygonResult AppendPolygon(FaceTable& table, ModelHost& host,
                               std::span<const rm::Vector> points, std::span<int> pointVertex) {
    const AddPolygonResult result = table.AddPolygon(host, points, pointVertex);
    if (result != AddPolygonResult::Added) return result;
    table.ReadFromMesh(host);
    // ReadFromMesh deselects corners outside the faces; the new face's row may still hold
    // the flags of an earlier, longer model's face.
    if (table.faceCount > 0) {
        for (int& s : table.selected[table.faceCount - 1]) s = 0;
    }
    return result;
}

}  // namespace model
