// Lights of the scene: an ambient light lights every face evenly; a directional light
// shines along its frame's +Z axis.
#pragma once

#include <memory>

namespace rm {

enum class LightType { Ambient, Directional };

struct Light {
    LightType type = LightType::Ambient;
    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;

    static std::shared_ptr<Light> Create(LightType type, float r, float g, float b) {
        auto light = std::make_shared<Light>();
        light->type = type;
        light->red = r;
        light->green = g;
        light->blue = b;
        return light;
    }
};
using LightPtr = std::shared_ptr<Light>;

}  // namespace rm
