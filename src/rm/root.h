// The root object: creates mesh builders, faces, frames, materials and textures.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "rm/frame.h"
#include "rm/mesh_builder.h"
#include "rm/texture.h"

namespace rm {

class Root {
  public:
    enum class Op { CreateMeshBuilder, CreateFace, CreateFrame, CreateMaterial, Count };

    // A new, empty mesh (face count 0), or null when creation fails.
    MeshBuilderPtr CreateMeshBuilder() {
        if (Failing(Op::CreateMeshBuilder)) return nullptr;
        return std::make_shared<MeshBuilder>();
    }
    // A scratch face object that receives face references; null when creation fails.
    std::shared_ptr<Face> CreateFace() {
        if (Failing(Op::CreateFace)) return nullptr;
        return std::make_shared<Face>();
    }
    // A new frame, attached to `parent` when one is given.
    FramePtr CreateFrame(Frame* parent = nullptr) {
        if (Failing(Op::CreateFrame)) return nullptr;
        auto frame = std::make_shared<Frame>();
        if (parent) parent->AddChild(frame);
        return frame;
    }
    MaterialPtr CreateMaterial(float power) {
        if (Failing(Op::CreateMaterial)) return nullptr;
        auto m = std::make_shared<Material>();
        m->power = power;
        return m;
    }

    // Folders searched for texture files, in the order added. Each path is kept whole.
    void AddSearchPath(const std::string& path) { searchPaths_.push_back(path); }
    const std::vector<std::string>& GetSearchPaths() const { return searchPaths_; }

    // Colours and shades of textures, set by the 3D device for the display's depth.
    void SetDefaultTextureColors(unsigned colors) { textureColors_ = colors; }
    void SetDefaultTextureShades(unsigned shades) { textureShades_ = shades; }
    unsigned GetDefaultTextureColors() const { return textureColors_; }
    unsigned GetDefaultTextureShades() const { return textureShades_; }

    // Makes the next `count` calls of `op` fail, so that callers' failure paths can be
    // exercised.
    void FailNext(Op op, int count = 1) { failures_[static_cast<std::size_t>(op)] = count; }

  private:
    bool Failing(Op op) {
        int& left = failures_[static_cast<std::size_t>(op)];
        if (left <= 0) return false;
        --left;
        return true;
    }
    std::array<int, static_cast<std::size_t>(Op::Count)> failures_{};
    std::vector<std::string> searchPaths_;
    unsigned textureColors_ = 64;
    unsigned textureShades_ = 256;
};

using RootPtr = std::shared_ptr<Root>;

}  // namespace rm
