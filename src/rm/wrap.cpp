#include "rm/wrap.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace rm {

namespace {
bool Finite(const Vector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}
}  // namespace

std::optional<Wrap> Wrap::Create(WrapType type, Vector origin, Vector direction, Vector up,
                                 float ou, float ov, float su, float sv) {
    if (!Finite(origin) || !Finite(direction) || !Finite(up)) return std::nullopt;
    for (float f : {ou, ov, su, sv}) {
        if (!std::isfinite(f)) return std::nullopt;
    }
    const Vector z = Normalized(direction);
    const Vector y = Normalized(up - z * Dot(up, z));
    if (Dot(z, z) == 0.0f || Dot(y, y) == 0.0f) return std::nullopt;
    Wrap w;
    w.type_ = type;
    w.origin_ = origin;
    w.z_ = z;
    w.y_ = y;
    w.x_ = Cross(y, z);
    w.ou_ = ou;
    w.ov_ = ov;
    w.su_ = su;
    w.sv_ = sv;
    return w;
}

void Wrap::Map(const Vector& position, float* u, float* v) const {
    const Vector p = position - origin_;
    const double x = Dot(p, x_);
    const double y = Dot(p, y_);
    const double z = Dot(p, z_);
    constexpr double kTwoPi = 2.0 * std::numbers::pi;
    double uu = 0.0;
    double vv = 0.0;
    if (type_ == WrapType::Flat) {
        uu = x;
        vv = y;
    } else {
        double theta = std::atan2(x, y);  // 0 at +y, π/2 at +x; atan2(0, 0) is 0
        if (theta < 0.0) theta += kTwoPi;
        uu = theta / kTwoPi;
        if (type_ == WrapType::Cylinder) {
            vv = z;
        } else {
            const double length = std::sqrt(x * x + y * y + z * z);
            vv = length > 0.0 ? std::acos(std::clamp(z / length, -1.0, 1.0)) / std::numbers::pi
                              : 0.0;
        }
    }
    *u = static_cast<float>(su_ * uu - ou_);
    *v = static_cast<float>(sv_ * vv - ov_);
}

void Wrap::Apply(MeshBuilder& mesh) const {
    const std::vector<Vector>& vertices = mesh.Vertices();
    for (std::size_t f = 0; f < mesh.FaceRecords().size(); ++f) {
        const MeshBuilder::CornerRange corners = mesh.FaceCorners(f);
        for (std::size_t k = 0; k < corners.size(); ++k) {
            const MeshBuilder::Corner c = corners[k];
            if (c.vertex >= vertices.size()) continue;
            float u = c.u, v = c.v;
            Map(vertices[c.vertex], &u, &v);
            mesh.SetCornerTextureCoordinates(f, k, u, v);
        }
    }
}

}  // namespace rm
