// Which way round a model's coordinates are meant. Every file format has one convention;
// the model remembers the convention of the files opened into it.
#pragma once

#include <cstdint>

namespace model {

enum class Handedness : std::uint8_t {
    None,   // nothing opened yet (faces made in the program): the 3D pane's, left-handed
    Left,   // left-handed: .x, .lwo, .mqo, .rok, .dxf, the program's 3D pane
    Right,  // right-handed, counter-clockwise front faces: glTF, OBJ, STL, PLY
    Mixed,  // files of both conventions were opened into one model
};

// The model's convention after a file of convention `file` was added to it. The first file
// into an empty model sets it; a file of the other convention makes it mixed.
constexpr Handedness CombineHandedness(Handedness model, bool modelWasEmpty, Handedness file) {
    if (modelWasEmpty || model == Handedness::None) return file;
    if (model == file || file == Handedness::None) return model;
    return Handedness::Mixed;
}

// A mixed or an unset model is written as the left-handed models it mostly comes from.
constexpr bool IsLeftHanded(Handedness h) {
    return h != Handedness::Right;
}

}  // namespace model
