// Faces grouped by what they look like, for the writers that give each look a surface or a
// material of its own. Groups are numbered from 0 in order of first use, so that a file
// lists them as the faces meet them.
#pragma once

#include <algorithm>
#include <type_traits>
#include <vector>

#include "model/face_table.h"
#include "rm/types.h"

namespace formats {

template <typename Key>
struct FaceGroups {
    std::vector<Key> keys;    // each group's key, in order of first use
    std::vector<int> ofFace;  // each face's group
};

// Faces 0 .. faceCount - 1 grouped by keyOf(f), keys compared with ==. A model has few
// looks, so a look is found by a walk over those already met.
template <typename KeyOf>
auto GroupFaces(int faceCount, KeyOf keyOf) {
    using Key = std::decay_t<decltype(keyOf(0))>;
    FaceGroups<Key> groups;
    groups.ofFace.resize(std::size_t(faceCount < 0 ? 0 : faceCount));
    for (int f = 0; f < faceCount; ++f) {
        const Key key = keyOf(f);
        const auto it = std::find(groups.keys.begin(), groups.keys.end(), key);
        groups.ofFace[std::size_t(f)] = int(it - groups.keys.begin());
        if (it == groups.keys.end()) groups.keys.push_back(key);
    }
    return groups;
}

// A face colour's red, green and blue as an rm::Color of alpha 0 (0x00RRGGBB).
inline rm::Color RgbOf(const model::FaceColor& c) {
    return rm::MakeColor(0, unsigned(c.red), unsigned(c.green), unsigned(c.blue));
}

// The first `faceCount` faces of the table grouped by red, green and blue (alpha apart).
inline FaceGroups<rm::Color> GroupFacesByRgb(const model::FaceTable& table, int faceCount) {
    return GroupFaces(faceCount, [&](int f) { return RgbOf(table.faceColor[f]); });
}

}  // namespace formats
