// A viewport: the rectangle of a device that a camera frame's view is drawn into, with its
// clipping planes, field and projection.
//
// Conventions (matrices as in rm/matrix.h):
// - Camera space is the camera frame's own axes: the camera looks along its +Z, +X is
//   right and +Y up on the screen. A world point p is at p * inverse(camera world) there.
// - The field f is half the extent of the view on the front clipping plane along the
//   viewport's larger side; the other side shows proportionally less, so nothing is
//   distorted. The scale is s = max(width, height) / (2 f) pixels.
// - Orthographic: a camera-space point (x, y, z) lands at
//     sx = left + width / 2 + x s,  sy = top + height / 2 - y s
//   whatever its depth, so "field 2.0" on a 400 x 300 viewport is 100 pixels per unit and
//   shows 4 units across. Perspective: x and y are first scaled by front / z, so the field
//   is the half-extent on the front plane (front 1 and field 0.5 give about 53 degrees).
// - Screen coordinates are continuous: pixel (i, j) covers [i, i + 1) x [j, j + 1) and its
//   centre is (i + 0.5, j + 0.5); y grows downward.
// - Only what lies between the front and the back clipping plane (front <= z <= back) is
//   drawn. Depth runs from 0 at the front plane to 1 at the back plane: linear in z for
//   the orthographic projection, (1 - front / z) back / (back - front) for perspective.
#pragma once

#include <memory>

#include "rm/frame.h"
#include "rm/matrix.h"
#include "rm/types.h"

namespace rm {

enum Projection : int { PROJECT_PERSPECTIVE = 0, PROJECT_ORTHOGRAPHIC = 1 };

class Viewport {
  public:
    Viewport(FramePtr camera, int x, int y, int width, int height)
        : camera_(std::move(camera)), x_(x), y_(y), width_(width), height_(height) {}

    // False (and no change) for a field, front or back that is not positive and finite,
    // and for a back plane not beyond the front plane.
    bool SetField(float field);
    bool SetFront(float front);
    bool SetBack(float back);
    void SetProjection(Projection projection) { projection_ = projection; }
    float GetField() const { return field_; }
    float GetFront() const { return front_; }
    float GetBack() const { return back_; }
    Projection GetProjection() const { return projection_; }

    const FramePtr& GetCamera() const { return camera_; }
    void SetCamera(FramePtr camera) { camera_ = std::move(camera); }
    int GetX() const { return x_; }
    int GetY() const { return y_; }
    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }

    // Pixels per camera-space unit (at the front plane for perspective).
    float Scale() const;
    // World to camera space; the identity without a camera.
    Matrix WorldToCamera() const;
    // A camera-space point in screen coordinates (sx, sy) and its depth 0..1 (see above).
    // The point must lie in front of the camera (z > 0) for perspective.
    Vector Project(const Vector& camera) const;
    // A world point in screen coordinates; false when it lies outside the clipping planes.
    bool Transform(const Vector& world, Vector* screen) const;

  private:
    FramePtr camera_;
    int x_ = 0;
    int y_ = 0;
    int width_ = 0;
    int height_ = 0;
    float field_ = 0.5f;
    float front_ = 1.0f;
    float back_ = 100.0f;
    Projection projection_ = PROJECT_PERSPECTIVE;
};

using ViewportPtr = std::shared_ptr<Viewport>;

}  // namespace rm
