// Faces grouped by what they look like, for the writers that give each look a surface or a
// material of its own. Groups are numbered from 0 in order of first use, so that a file
// lists them as the faces meet them.
#pragma once

#include <map>
#include <type_traits>
#include <utility>
#include <vector>

#include "model/face_table.h"
#include "rm/types.h"

namespace formats {

template <typename Key>
struct FaceGroups {
    std::vector<Key> keys;    // each group's key, in order of first use
    std::vector<int> ofFace;  // each face's group
};

// Faces 0 .. faceCount - 1 grouped by keyOf(f); keys are ordered with < and compared with
// ==. Faces of one look usually follow each other, so a key is looked up only where it
// differs from the face before.
template <typename KeyOf>
auto GroupFaces(int faceCount, KeyOf keyOf) {
    using Key = std::decay_t<decltype(keyOf(0))>;
    FaceGroups<Key> groups;
    groups.ofFace.resize(std::size_t(faceCount < 0 ? 0 : faceCount));
    std::map<Key, int> index;
    int last = -1;
    Key lastKey{};
    for (int f = 0; f < faceCount; ++f) {
        Key key = keyOf(f);
        if (last < 0 || !(key == lastKey)) {
            const auto [it, added] = index.try_emplace(key, int(groups.keys.size()));
            if (added) groups.keys.push_back(key);
            last = it->second;
            lastKey = std::move(key);
        }
        groups.ofFace[std::size_t(f)] = last;
    }
    return groups;
}

// A face colour's red, green and blue as an rm::Color of alpha 0 (0x00RRGGBB).
inline rm::Color RgbOf(const model::FaceColor& c) {
    return model::ToColor(c) & 0x00FFFFFFu;
}

// The first `faceCount` faces of the table grouped by red, green and blue (alpha apart).
inline FaceGroups<rm::Color> GroupFacesByRgb(const model::FaceTable& table, int faceCount) {
    return GroupFaces(faceCount, [&](int f) { return RgbOf(table.faceColor[f]); });
}

}  // namespace formats
