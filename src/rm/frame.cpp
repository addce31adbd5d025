#include "rm/frame.h"

#include <algorithm>
#include <cmath>

namespace rm {

namespace {

template <typename T>
bool AddUnique(std::vector<T>& list, const T& item) {
    if (!item) return false;
    if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
    return true;
}

template <typename T>
bool Remove(std::vector<T>& list, const T& item) {
    const auto it = std::find(list.begin(), list.end(), item);
    if (it == list.end()) return false;
    list.erase(it);
    return true;
}

}  // namespace

Frame::~Frame() {
    for (const auto& child : children_) {
        if (child->parent_ == this) child->parent_ = nullptr;
    }
}

bool Frame::AddVisual(const MeshBuilderPtr& mesh) {
    return AddUnique(visuals_, mesh);
}

bool Frame::DeleteVisual(const MeshBuilderPtr& mesh) {
    return Remove(visuals_, mesh);
}

bool Frame::AddLight(const LightPtr& light) {
    return AddUnique(lights_, light);
}

bool Frame::DeleteLight(const LightPtr& light) {
    return Remove(lights_, light);
}

bool Frame::AddChild(const std::shared_ptr<Frame>& child) {
    if (!child) return false;
    for (const Frame* f = this; f; f = f->parent_) {
        if (f == child.get()) return false;
    }
    if (child->parent_ == this) return true;
    if (child->parent_) {
        const std::shared_ptr<Frame> keep = child;  // the old parent may hold the last reference
        Remove(child->parent_->children_, keep);
    }
    children_.push_back(child);
    child->parent_ = this;
    return true;
}

bool Frame::DeleteChild(const std::shared_ptr<Frame>& child) {
    if (!child || !Remove(children_, child)) return false;
    child->parent_ = nullptr;
    return true;
}

Matrix Frame::ParentWorld() const {
    return parent_ ? parent_->GetWorldTransform() : Matrix{};
}

Matrix Frame::GetWorldTransform() const {
    Matrix world = transform_;
    for (const Frame* f = parent_; f; f = f->parent_) world = world * f->transform_;
    return world;
}

Matrix Frame::ReferenceWorld(const Frame* reference) const {
    return reference ? reference->GetWorldTransform() : ParentWorld();
}

void Frame::SetPosition(const Frame* reference, float x, float y, float z) {
    Vector p{x, y, z};
    if (reference && reference != parent_) {
        p = ParentWorld().InverseAffine().TransformPoint(
            reference->GetWorldTransform().TransformPoint(p));
    }
    transform_.m[3][0] = p.x;
    transform_.m[3][1] = p.y;
    transform_.m[3][2] = p.z;
}

Vector Frame::GetPosition(const Frame* reference) const {
    const Vector local = transform_.Origin();
    if (!reference || reference == parent_) return local;
    const Vector world = ParentWorld().TransformPoint(local);
    return reference->GetWorldTransform().InverseAffine().TransformPoint(world);
}

bool Frame::SetOrientation(const Frame* reference, float dx, float dy, float dz, float ux, float uy,
                           float uz) {
    Vector dir{dx, dy, dz};
    Vector up{ux, uy, uz};
    if (reference && reference != parent_) {
        // From the reference's axes through world axes into the parent's.
        const Matrix toParent = reference->GetWorldTransform() * ParentWorld().InverseAffine();
        dir = toParent.TransformDirection(dir);
        up = toParent.TransformDirection(up);
    }
    const Vector z = Normalized(dir);
    const Vector x = Normalized(Cross(up, z));
    if (z == Vector{} || x == Vector{}) return false;
    const Vector y = Cross(z, x);
    const Vector axes[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
        transform_.m[i][0] = axes[i].x;
        transform_.m[i][1] = axes[i].y;
        transform_.m[i][2] = axes[i].z;
    }
    return true;
}

bool Frame::LookAt(const Frame* target, const Frame* reference, Constraint constraint) {
    (void)constraint;  // only the Z constraint (no roll) is used by the program
    if (!target) return false;
    const Matrix refWorld = ReferenceWorld(reference);
    const Matrix toRef = refWorld.InverseAffine();
    const Vector from = toRef.TransformPoint(ParentWorld().TransformPoint(transform_.Origin()));
    const Vector to = toRef.TransformPoint(target->GetWorldTransform().Origin());
    const Vector dir = to - from;
    if (SetOrientation(reference ? reference : parent_, dir.x, dir.y, dir.z, 0.0f, 1.0f, 0.0f)) {
        return true;
    }
    // Looking straight along the reference's Y axis: keep the frame's own up.
    const Vector up =
        toRef.TransformDirection(ParentWorld().TransformDirection(transform_.Axis(1)));
    return SetOrientation(reference ? reference : parent_, dir.x, dir.y, dir.z, up.x, up.y, up.z);
}

void Frame::AddTransform(Combine combine, const Matrix& t) {
    switch (combine) {
        case COMBINE_REPLACE:
            transform_ = t;
            break;
        case COMBINE_BEFORE:
            transform_ = t * transform_;
            break;
        case COMBINE_AFTER:
            transform_ = transform_ * t;
            break;
    }
}

void Frame::AddRotation(Combine combine, float x, float y, float z, float theta) {
    AddTransform(combine, Matrix::Rotation(x, y, z, theta));
}

void Frame::AddScale(Combine combine, float sx, float sy, float sz) {
    AddTransform(combine, Matrix::Scaling(sx, sy, sz));
}

void Frame::AddTranslation(Combine combine, float x, float y, float z) {
    AddTransform(combine, Matrix::Translation(x, y, z));
}

}  // namespace rm
