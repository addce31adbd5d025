#include "rm/viewport.h"

#include <algorithm>
#include <cmath>

namespace rm {

namespace {
bool Usable(float v) {
    return std::isfinite(v) && v > 0.0f;
}
}  // namespace

bool Viewport::SetField(float field) {
    if (!Usable(field)) return false;
    field_ = field;
    return true;
}

bool Viewport::SetFront(float front) {
    if (!Usable(front) || front >= back_) return false;
    front_ = front;
    return true;
}

bool Viewport::SetBack(float back) {
    if (!Usable(back) || back <= front_) return false;
    back_ = back;
    return true;
}

float Viewport::Scale() const {
    return static_cast<float>(std::max(width_, height_)) / (2.0f * field_);
}

Matrix Viewport::WorldToCamera() const {
    return camera_ ? camera_->GetWorldTransform().InverseAffine() : Matrix{};
}

Vector Viewport::Project(const Vector& c) const {
    const float s = Scale();
    float x = c.x;
    float y = c.y;
    float depth;
    if (projection_ == PROJECT_ORTHOGRAPHIC) {
        depth = (c.z - front_) / (back_ - front_);
    } else {
        const float k = front_ / c.z;
        x *= k;
        y *= k;
        depth = (1.0f - k) * back_ / (back_ - front_);
    }
    return {static_cast<float>(x_) + static_cast<float>(width_) * 0.5f + x * s,
            static_cast<float>(y_) + static_cast<float>(height_) * 0.5f - y * s, depth};
}

bool Viewport::Transform(const Vector& world, Vector* screen) const {
    const Vector c = WorldToCamera().TransformPoint(world);
    if (!(c.z >= front_ && c.z <= back_)) return false;
    if (screen) *screen = Project(c);
    return true;
}

}  // namespace rm
