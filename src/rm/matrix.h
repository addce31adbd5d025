// Transforms of the retained-mode layer.
//
// Conventions, the same everywhere in rm/ and render/:
// - Coordinates are left-handed: +X right, +Y up, +Z away from the viewer.
// - Points are row vectors multiplied on the left: p' = p * M. The last row of an affine
//   matrix holds the translation, so M = [R 0; t 1] moves p to p * R + t.
// - A * B applies A first, then B. A frame's world matrix is therefore
//   local * parent.world (the frame's own transform first, then its parent's).
// - A rotation by a positive angle about a unit axis k maps v to
//   v cos a + (k x v) sin a + k (k . v)(1 - cos a), with the usual component formula of
//   the cross product: about +X, +Y turns toward +Z; about +Y, +Z turns toward +X; about
//   +Z, +X turns toward +Y. Seen from the positive end of the axis in these left-handed
//   axes, that is clockwise.
#pragma once

#include "rm/types.h"

namespace rm {

struct Matrix {
    // m[row][column]; identity by default.
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    static Matrix Identity() { return {}; }
    static Matrix Translation(float x, float y, float z);
    static Matrix Scaling(float sx, float sy, float sz);
    // Rotation by `theta` radians about the axis (x, y, z), which need not be of unit
    // length; a zero axis gives the identity.
    static Matrix Rotation(float x, float y, float z, float theta);

    // p * M for a point (translation applied) and for a direction (translation ignored).
    Vector TransformPoint(const Vector& p) const;
    Vector TransformDirection(const Vector& d) const;
    // The translation row.
    Vector Origin() const { return {m[3][0], m[3][1], m[3][2]}; }
    // Row i of the upper 3 x 3 part: where the unit vector of axis i goes (without the
    // translation).
    Vector Axis(int i) const { return {m[i][0], m[i][1], m[i][2]}; }
    // Inverse of an affine matrix (last column 0, 0, 0, 1); the identity when singular.
    Matrix InverseAffine() const;

    friend bool operator==(const Matrix&, const Matrix&) = default;
};

// a * b: a applied first, then b.
Matrix operator*(const Matrix& a, const Matrix& b);

// The same transforms in double precision, for a file's matrices that are combined before
// its points are moved and rounded to floats once (the .x loader's frames).
struct MatrixD {
    // m[row][column]; identity by default.
    double m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};

    // p * M for the point (x, y, z), translation applied.
    void TransformPoint(double x, double y, double z, double out[3]) const;
};

// a * b: a applied first, then b; each element summed from 0 in column order.
MatrixD operator*(const MatrixD& a, const MatrixD& b);

}  // namespace rm
