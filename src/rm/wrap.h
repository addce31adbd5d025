// Wraps: texture coordinates for every vertex of a mesh, projected from a plane, a
// cylinder or a sphere placed around the model.
//
// A wrap has its own axes. z is the direction, normalised. y is the up vector with its part
// along z removed, normalised. x = y × z, so that x, y, z are oriented like the model's own
// X, Y, Z (with direction (0, 0, 1) and up (0, 1, 0) the wrap's axes are the model's). A
// position p is first expressed in these axes relative to the wrap's origin o:
//     x = (p − o)·x̂,  y = (p − o)·ŷ,  z = (p − o)·ẑ.
// Then, with the scales su, sv and the texture origin ou, ov:
//   flat:      u = su·x − ou                       v = sv·y − ov
//   cylinder:  u = su·θ/2π − ou                    v = sv·z − ov
//   sphere:    u = su·θ/2π − ou                    v = sv·φ/π − ov
// θ is the angle around the z axis, 0 on the up side (+y) and growing towards +x,
// θ = atan2(x, y) taken in [0, 2π); a point on the axis has θ = 0. φ is the angle between
// (x, y, z) and +z, in [0, π]: v runs from the pole the direction points at (0) to the
// opposite pole (1); the wrap's origin itself has φ = 0. Unscaled, the cylinder's and the
// sphere's u run once around the axis from 0 to 1, and the sphere's v from 0 to 1 pole to
// pole; the flat wrap's u and v follow x and y, so their signs depend on the direction and
// up vectors chosen.
#pragma once

#include <optional>

#include "rm/mesh_builder.h"
#include "rm/types.h"

namespace rm {

enum class WrapType : int { Flat = 0, Cylinder = 1, Sphere = 2 };

class Wrap {
  public:
    // Null when the direction is zero or the up vector has no part across the direction,
    // or when a value is not finite.
    static std::optional<Wrap> Create(WrapType type, Vector origin, Vector direction, Vector up,
                                      float ou, float ov, float su, float sv);

    // u and v of one position.
    void Map(const Vector& position, float* u, float* v) const;
    // Sets u, v of every corner of the mesh from its vertex position.
    void Apply(MeshBuilder& mesh) const;

    WrapType Type() const { return type_; }

  private:
    Wrap() = default;
    WrapType type_ = WrapType::Flat;
    Vector origin_;
    Vector x_, y_, z_;
    float ou_ = 0.0f, ov_ = 0.0f, su_ = 1.0f, sv_ = 1.0f;
};

}  // namespace rm
