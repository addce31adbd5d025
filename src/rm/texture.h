// Textures and materials of the retained-mode layer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace rm {

// A texture: the file name it came from and, once loaded, its pixels (0xAARRGGBB, row
// by row from the top). A texture named by a model file whose bitmap was not loaded
// keeps its name so that a writer can name it again.
class Texture {
  public:
    explicit Texture(std::string name = {}) : name_(std::move(name)) {}

    const std::string& GetName() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    int Width() const { return width_; }
    int Height() const { return height_; }
    const std::vector<std::uint32_t>& Pixels() const { return pixels_; }
    void SetPixels(int width, int height, std::vector<std::uint32_t> pixels) {
        width_ = width;
        height_ = height;
        pixels_ = std::move(pixels);
    }

  private:
    std::string name_;
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> pixels_;
};
using TexturePtr = std::shared_ptr<Texture>;

// A material: specular power and colours, set on a whole mesh.
struct Material {
    float power = 0.0f;
    float specular[3] = {0.0f, 0.0f, 0.0f};
    float emissive[3] = {0.0f, 0.0f, 0.0f};
};
using MaterialPtr = std::shared_ptr<Material>;

}  // namespace rm
