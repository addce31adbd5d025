// Frames: nodes of the scene that carry visuals (meshes) and child frames.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "rm/light.h"
#include "rm/mesh_builder.h"
#include "rm/types.h"

namespace rm {

class Frame {
  public:
    // Attaches a mesh; attaching one that is already attached does nothing.
    bool AddVisual(const MeshBuilderPtr& mesh) {
        if (!mesh) return false;
        if (std::find(visuals_.begin(), visuals_.end(), mesh) == visuals_.end()) {
            visuals_.push_back(mesh);
        }
        return true;
    }
    // Detaches a mesh; false when it was not attached. A detached mesh is not drawn.
    bool DeleteVisual(const MeshBuilderPtr& mesh) {
        const auto it = std::find(visuals_.begin(), visuals_.end(), mesh);
        if (it == visuals_.end()) return false;
        visuals_.erase(it);
        return true;
    }
    const std::vector<MeshBuilderPtr>& Visuals() const { return visuals_; }

    // Lights carried by this frame.
    bool AddLight(const LightPtr& light) {
        if (!light) return false;
        if (std::find(lights_.begin(), lights_.end(), light) == lights_.end()) {
            lights_.push_back(light);
        }
        return true;
    }
    const std::vector<LightPtr>& Lights() const { return lights_; }

    // Position of the frame's origin relative to `reference` (null: the frame's parent).
    // Only the parent is taken as a reference so far.
    void SetPosition(const Frame* reference, float x, float y, float z) {
        (void)reference;
        position_ = {x, y, z};
    }
    Vector GetPosition() const { return position_; }

    bool AddChild(const std::shared_ptr<Frame>& child) {
        if (!child || child.get() == this) return false;
        if (std::find(children_.begin(), children_.end(), child) == children_.end()) {
            children_.push_back(child);
        }
        return true;
    }
    bool DeleteChild(const std::shared_ptr<Frame>& child) {
        const auto it = std::find(children_.begin(), children_.end(), child);
        if (it == children_.end()) return false;
        children_.erase(it);
        return true;
    }
    const std::vector<std::shared_ptr<Frame>>& Children() const { return children_; }

  private:
    std::vector<MeshBuilderPtr> visuals_;
    std::vector<std::shared_ptr<Frame>> children_;
    std::vector<LightPtr> lights_;
    Vector position_;
};

using FramePtr = std::shared_ptr<Frame>;

}  // namespace rm
