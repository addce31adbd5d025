// Value types shared by the retained-mode object layer.
#pragma once

#include <cstdint>

namespace rm {

// A position or normal: three 32-bit floats.
struct Vector {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    friend bool operator==(const Vector&, const Vector&) = default;
};

inline Vector operator-(const Vector& a, const Vector& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vector operator+(const Vector& a, const Vector& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vector operator*(const Vector& a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline float Dot(const Vector& a, const Vector& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vector Cross(const Vector& u, const Vector& w) {
    return {u.y * w.z - u.z * w.y, u.z * w.x - u.x * w.z, u.x * w.y - u.y * w.x};
}
// Unit vector along v; the zero vector stays zero.
Vector Normalized(const Vector& v);

// Face colour as 0xAARRGGBB.
using Color = std::uint32_t;

constexpr Color MakeColor(unsigned a, unsigned r, unsigned g, unsigned b) {
    return (Color(a & 0xFF) << 24) | (Color(r & 0xFF) << 16) | (Color(g & 0xFF) << 8) |
           Color(b & 0xFF);
}
constexpr unsigned ColorAlpha(Color c) {
    return (c >> 24) & 0xFF;
}
constexpr unsigned ColorRed(Color c) {
    return (c >> 16) & 0xFF;
}
constexpr unsigned ColorGreen(Color c) {
    return (c >> 8) & 0xFF;
}
constexpr unsigned ColorBlue(Color c) {
    return c & 0xFF;
}

// A colour as the colour dialogs and the About box's links keep it: 0x00BBGGRR. (The
// faces' colours are rm::Color, 0xAARRGGBB; the canvas's are ports::Color, 0x00RRGGBB.)
using ColorRef = std::uint32_t;
constexpr ColorRef MakeColorRef(int r, int g, int b) {
    return static_cast<ColorRef>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int RedOf(ColorRef c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GreenOf(ColorRef c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(ColorRef c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

// Float colour channel 0..1 to a byte, rounded to the nearest byte and clamped, so that
// b * (1/255) converts back to b.
std::uint8_t ChannelToByte(float value);

// Render quality of a mesh.
enum class Quality : std::uint32_t {
    Wireframe = 0x40,
    Flat = 0x88,
    Gouraud = 0x89,
};

// Flags of MeshBuilder::GenerateNormals.
constexpr unsigned GENERATENORMALS_PRECOMPACT = 1;
constexpr unsigned GENERATENORMALS_USECREASEANGLE = 2;

// Axis-aligned box of a mesh.
struct Box {
    Vector min;
    Vector max;
};

}  // namespace rm
