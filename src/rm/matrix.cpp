#include "rm/matrix.h"

#include <cmath>

namespace rm {

Matrix Matrix::Translation(float x, float y, float z) {
    Matrix t;
    t.m[3][0] = x;
    t.m[3][1] = y;
    t.m[3][2] = z;
    return t;
}

Matrix Matrix::Scaling(float sx, float sy, float sz) {
    Matrix s;
    s.m[0][0] = sx;
    s.m[1][1] = sy;
    s.m[2][2] = sz;
    return s;
}

Matrix Matrix::Rotation(float x, float y, float z, float theta) {
    const Vector k = Normalized({x, y, z});
    Matrix r;
    if (k == Vector{}) return r;
    const float c = std::cos(theta);
    const float s = std::sin(theta);
    const float t = 1.0f - c;
    // Row i is where the unit vector e_i goes: e_i c + (k x e_i) s + k k_i t.
    const float kx = k.x, ky = k.y, kz = k.z;
    r.m[0][0] = c + kx * kx * t;
    r.m[0][1] = kz * s + ky * kx * t;
    r.m[0][2] = -ky * s + kz * kx * t;
    r.m[1][0] = -kz * s + kx * ky * t;
    r.m[1][1] = c + ky * ky * t;
    r.m[1][2] = kx * s + kz * ky * t;
    r.m[2][0] = ky * s + kx * kz * t;
    r.m[2][1] = -kx * s + ky * kz * t;
    r.m[2][2] = c + kz * kz * t;
    return r;
}

Vector Matrix::TransformPoint(const Vector& p) const {
    return {p.x * m[0][0] + p.y * m[1][0] + p.z * m[2][0] + m[3][0],
            p.x * m[0][1] + p.y * m[1][1] + p.z * m[2][1] + m[3][1],
            p.x * m[0][2] + p.y * m[1][2] + p.z * m[2][2] + m[3][2]};
}

Vector Matrix::TransformDirection(const Vector& d) const {
    return {d.x * m[0][0] + d.y * m[1][0] + d.z * m[2][0],
            d.x * m[0][1] + d.y * m[1][1] + d.z * m[2][1],
            d.x * m[0][2] + d.y * m[1][2] + d.z * m[2][2]};
}

Matrix Matrix::InverseAffine() const {
    const float a = m[0][0], b = m[0][1], c = m[0][2];
    const float d = m[1][0], e = m[1][1], f = m[1][2];
    const float g = m[2][0], h = m[2][1], i = m[2][2];
    const float det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    Matrix r;
    if (det == 0.0f || !std::isfinite(det)) return r;
    const float inv = 1.0f / det;
    r.m[0][0] = (e * i - f * h) * inv;
    r.m[0][1] = (c * h - b * i) * inv;
    r.m[0][2] = (b * f - c * e) * inv;
    r.m[1][0] = (f * g - d * i) * inv;
    r.m[1][1] = (a * i - c * g) * inv;
    r.m[1][2] = (c * d - a * f) * inv;
    r.m[2][0] = (d * h - e * g) * inv;
    r.m[2][1] = (b * g - a * h) * inv;
    r.m[2][2] = (a * e - b * d) * inv;
    // The inverse translation: -t * R^-1.
    const Vector t = Origin();
    r.m[3][0] = -(t.x * r.m[0][0] + t.y * r.m[1][0] + t.z * r.m[2][0]);
    r.m[3][1] = -(t.x * r.m[0][1] + t.y * r.m[1][1] + t.z * r.m[2][1]);
    r.m[3][2] = -(t.x * r.m[0][2] + t.y * r.m[1][2] + t.z * r.m[2][2]);
    return r;
}

Matrix operator*(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

void MatrixD::TransformPoint(double x, double y, double z, double out[3]) const {
    for (int j = 0; j < 3; ++j) out[j] = x * m[0][j] + y * m[1][j] + z * m[2][j] + m[3][j];
}

MatrixD operator*(const MatrixD& a, const MatrixD& b) {
    MatrixD r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            double s = 0.0;
            for (int k = 0; k < 4; ++k) s += a.m[i][k] * b.m[k][j];
            r.m[i][j] = s;
        }
    }
    return r;
}

}  // namespace rm
