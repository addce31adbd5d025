// The .x loader: header, MSZIP inflation, text and binary token streams, a tree of data
// objects, and the meshes built from it.
#include <zlib.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/numbers.h"
#include "rm/face_data.h"
#include "rm/xfile.h"

namespace rm {
namespace {

// ---------------------------------------------------------------------------------------
// Tokens

enum class Tok {
    End,
    Error,
    Name,       // identifier (text) or name token (binary)
    String,     // quoted string
    Number,     // one number
    IntList,    // binary: `count` little-endian DWORDs at `data`
    FloatList,  // binary: `count` floats or doubles at `data`
    OBrace,
    CBrace,
    Guid,
    Template,
    Other,  // separators, brackets, type keywords: nothing a data object needs
};

struct Token {
    Tok kind = Tok::End;
    std::string_view text;
    double number = 0.0;
    const unsigned char* data = nullptr;
    std::size_t count = 0;
};

bool IsNameChar(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c >= 0x80;
}

// Reads tokens from a text body ("txt " and inflated "tzip").
class TextTokens {
  public:
    explicit TextTokens(std::string_view s) : s_(s) {}

    Token Next() {
        Token t;
        for (;;) {
            while (pos_ < s_.size() && static_cast<unsigned char>(s_[pos_]) <= ' ') ++pos_;
            if (pos_ >= s_.size()) return t;  // End
            const char c = s_[pos_];
            if (c == '#' || (c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/')) {
                const std::size_t eol = s_.find('\n', pos_);
                pos_ = eol == std::string_view::npos ? s_.size() : eol + 1;
                continue;
            }
            break;
        }
        const char c = s_[pos_];
        switch (c) {
            case '{':
                ++pos_;
                t.kind = Tok::OBrace;
                return t;
            case '}':
                ++pos_;
                t.kind = Tok::CBrace;
                return t;
            case '<': {
                const std::size_t close = s_.find('>', pos_);
                if (close == std::string_view::npos) {
                    t.kind = Tok::Error;
                    return t;
                }
                pos_ = close + 1;
                t.kind = Tok::Guid;
                return t;
            }
            case '"': {
                const std::size_t close = s_.find('"', pos_ + 1);
                if (close == std::string_view::npos) {
                    t.kind = Tok::Error;
                    return t;
                }
                t.kind = Tok::String;
                t.text = s_.substr(pos_ + 1, close - pos_ - 1);
                pos_ = close + 1;
                return t;
            }
            default:
                break;
        }
        const bool numberStart =
            (c >= '0' && c <= '9') ||
            ((c == '-' || c == '+' || c == '.') && pos_ + 1 < s_.size() &&
             ((s_[pos_ + 1] >= '0' && s_[pos_ + 1] <= '9') || s_[pos_ + 1] == '.'));
        if (c >= '0' && c <= '9') {
            // Fast path for counts and indices: up to 15 digits, no point or exponent.
            std::size_t end = pos_;
            std::uint64_t whole = 0;
            while (end < s_.size() && end - pos_ < 15 && s_[end] >= '0' && s_[end] <= '9') {
                whole = whole * 10 + std::uint64_t(s_[end] - '0');
                ++end;
            }
            if (end == s_.size() || (!IsNameChar(static_cast<unsigned char>(s_[end])) &&
                                     s_[end] != 'e' && s_[end] != 'E')) {
                pos_ = end;
                t.kind = Tok::Number;
                t.number = double(whole);
                return t;
            }
        }
        if (numberStart) {
            std::string_view rest = s_.substr(pos_ + (c == '+' ? 1 : 0));
            double value = 0.0;
            if (base::ScanDecimal(rest, value)) {
                const std::size_t end = s_.size() - rest.size();
                // "1stFrame" is a name, not 1 followed by "stFrame".
                if (end < s_.size() && IsNameChar(static_cast<unsigned char>(s_[end])) &&
                    s_[end] != '-' && s_[end] != '.') {
                    return ReadName();
                }
                pos_ = end;
                t.kind = Tok::Number;
                t.number = value;
                return t;
            }
        }
        if (IsNameChar(static_cast<unsigned char>(c))) return ReadName();
        ++pos_;
        t.kind = Tok::Other;  // ; , [ ] ( ) and anything else
        return t;
    }

  private:
    Token ReadName() {
        Token t;
        const std::size_t start = pos_;
        while (pos_ < s_.size() && IsNameChar(static_cast<unsigned char>(s_[pos_]))) ++pos_;
        if (pos_ == start) {  // "+x": the sign is no name; step over it
            ++pos_;
            t.kind = Tok::Other;
            return t;
        }
        t.kind = Tok::Name;
        t.text = s_.substr(start, pos_ - start);
        return t;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
};

// Reads tokens from a binary body ("bin " and inflated "bzip"): little-endian WORD tokens.
class BinaryTokens {
  public:
    BinaryTokens(std::string_view s, std::size_t floatSize)
        : p_(reinterpret_cast<const unsigned char*>(s.data())),
          end_(p_ + s.size()),
          floatSize_(floatSize) {}

    Token Next() {
        Token t;
        if (p_ == end_) return t;  // End
        t.kind = Tok::Error;
        if (Left() < 2) return t;
        const std::uint16_t tok = base::LoadLE16(p_);
        p_ += 2;
        switch (tok) {
            case 1:    // name: DWORD count, chars
            case 2: {  // string: DWORD count, chars, maybe a DWORD terminator
                if (Left() < 4) return t;
                const std::uint32_t n = base::LoadLE32(p_);
                p_ += 4;
                if (n > Left()) return t;
                t.text = std::string_view(reinterpret_cast<const char*>(p_), n);
                p_ += n;
                if (tok == 2 && Left() >= 4 &&
                    (base::LoadLE32(p_) == 19 || base::LoadLE32(p_) == 20))
                    p_ += 4;
                t.kind = tok == 1 ? Tok::Name : Tok::String;
                return t;
            }
            case 3:  // integer: DWORD
                if (Left() < 4) return t;
                t.kind = Tok::Number;
                t.number = base::LoadLE32(p_);
                p_ += 4;
                return t;
            case 5:  // GUID: 16 bytes
                if (Left() < 16) return t;
                p_ += 16;
                t.kind = Tok::Guid;
                return t;
            case 6:    // integer list
            case 7: {  // float list
                if (Left() < 4) return t;
                const std::uint32_t n = base::LoadLE32(p_);
                p_ += 4;
                const std::size_t size = tok == 6 ? 4 : floatSize_;
                if (n > Left() / size) return t;
                t.kind = tok == 6 ? Tok::IntList : Tok::FloatList;
                t.data = p_;
                t.count = n;
                p_ += std::size_t(n) * size;
                return t;
            }
            case 10:
                t.kind = Tok::OBrace;
                return t;
            case 11:
                t.kind = Tok::CBrace;
                return t;
            case 31:
                t.kind = Tok::Template;
                return t;
            default:
                if ((tok >= 12 && tok <= 20) || (tok >= 40 && tok <= 53)) t.kind = Tok::Other;
                return t;  // Error for anything unknown
        }
    }

  private:
    std::size_t Left() const { return std::size_t(end_ - p_); }

    const unsigned char* p_;
    const unsigned char* end_;
    std::size_t floatSize_;
};

// ---------------------------------------------------------------------------------------
// The tree of data objects

struct Node {
    std::string type;  // template name; empty for a reference
    std::string name;  // object name, or the referenced name
    bool reference = false;
    std::vector<double> values;
    std::vector<std::string> strings;
    std::vector<std::unique_ptr<Node>> children;
};

class Parser {
  public:
    Parser(std::string_view body, bool binary, std::size_t floatSize)
        : binary_(binary), text_(body), bin_(body, floatSize), floatSize_(floatSize) {}

    // Parses every top-level object into `root`'s children.
    bool ParseFile(Node& root, std::string& error) {
        for (;;) {
            Token t = Next();
            switch (t.kind) {
                case Tok::End:
                    return true;
                case Tok::Template:
                    if (!SkipTemplate(error)) return false;
                    break;
                case Tok::Name:
                    if (t.text == "template" && !binary_) {
                        if (!SkipTemplate(error)) return false;
                        break;
                    }
                    if (!ParseObject(std::string(t.text), root, 1, error)) return false;
                    break;
                case Tok::Other:
                    break;           // stray separators between objects
                case Tok::OBrace: {  // a top-level reference: nothing to load
                    Node scratch;
                    if (!ParseReference(scratch, error)) return false;
                    break;
                }
                default:
                    error = "unexpected data outside any object";
                    return false;
            }
        }
    }

  private:
    Token Next() {
        if (havePeek_) {
            havePeek_ = false;
            return peek_;
        }
        return binary_ ? bin_.Next() : text_.Next();
    }
    const Token& Peek() {
        if (!havePeek_) {
            peek_ = binary_ ? bin_.Next() : text_.Next();
            havePeek_ = true;
        }
        return peek_;
    }

    bool SkipTemplate(std::string& error) {
        // template Name { <guid> members [restrictions] }: no braces inside.
        bool opened = false;
        for (;;) {
            const Token t = Next();
            if (t.kind == Tok::End || t.kind == Tok::Error) {
                error = "truncated template declaration";
                return false;
            }
            if (t.kind == Tok::OBrace) {
                if (opened) {
                    error = "malformed template declaration";
                    return false;
                }
                opened = true;
            } else if (t.kind == Tok::CBrace) {
                if (!opened) {
                    error = "malformed template declaration";
                    return false;
                }
                return true;
            }
        }
    }

    // After '{' of a reference: { name [guid] } or { guid }.
    bool ParseReference(Node& ref, std::string& error) {
        ref.reference = true;
        if (++nodes_ > kMaxNodes) {
            error = "too many data objects";
            return false;
        }
        for (;;) {
            const Token t = Next();
            if (t.kind == Tok::CBrace) return true;
            if (t.kind == Tok::Name && ref.name.empty()) {
                ref.name = std::string(t.text);
            } else if (t.kind != Tok::Guid && t.kind != Tok::Other) {
                error = "malformed reference";
                return false;
            }
        }
    }

    // After the template name: [object name] '{' [guid] contents '}'.
    bool ParseObject(std::string type, Node& parent, int depth, std::string& error) {
        if (depth > kMaxXNesting) {
            error = "data objects nested too deeply";
            return false;
        }
        auto node = std::make_unique<Node>();
        node->type = std::move(type);
        Token t = Next();
        if (t.kind == Tok::Name) {
            node->name = std::string(t.text);
            t = Next();
        }
        if (t.kind != Tok::OBrace) {
            error = "expected '{' after " + node->type;
            return false;
        }
        if (++nodes_ > kMaxNodes) {
            error = "too many data objects";
            return false;
        }
        Node& self = *node;
        const bool keep = self.type == "Mesh" || self.type == "MeshNormals" ||
                          self.type == "MeshTextureCoords" || self.type == "MeshMaterialList" ||
                          self.type == "Material" || self.type == "TextureFilename" ||
                          self.type == "FrameTransformMatrix";
        parent.children.push_back(std::move(node));
        for (;;) {
            t = Next();
            switch (t.kind) {
                case Tok::CBrace:
                    return true;
                case Tok::End:
                case Tok::Error:
                    error = "truncated or damaged data object " + self.type;
                    return false;
                case Tok::Number:
                    if (keep) self.values.push_back(t.number);
                    break;
                case Tok::IntList:
                    if (!keep) break;
                    self.values.reserve(self.values.size() + t.count);
                    for (std::size_t i = 0; i < t.count; ++i) {
                        self.values.push_back(base::LoadLE32(t.data + 4 * i));
                    }
                    break;
                case Tok::FloatList:
                    if (!keep) break;
                    self.values.reserve(self.values.size() + t.count);
                    for (std::size_t i = 0; i < t.count; ++i) {
                        self.values.push_back(floatSize_ == 8 ? base::LoadLEDouble(t.data + 8 * i)
                                                              : base::LoadLEFloat(t.data + 4 * i));
                    }
                    break;
                case Tok::String:
                    if (keep) self.strings.emplace_back(t.text);
                    break;
                case Tok::OBrace: {
                    auto ref = std::make_unique<Node>();
                    if (!ParseReference(*ref, error)) return false;
                    self.children.push_back(std::move(ref));
                    break;
                }
                case Tok::Name: {
                    // A nested object: Type [name] '{'. A bare word in the data is ignored.
                    const Tok next = Peek().kind;
                    if (next == Tok::OBrace || next == Tok::Name) {
                        if (!ParseObject(std::string(t.text), self, depth + 1, error)) return false;
                    }
                    break;
                }
                case Tok::Template:
                    error = "template declaration inside a data object";
                    return false;
                case Tok::Guid:
                case Tok::Other:
                    break;
            }
        }
    }

    bool binary_;
    TextTokens text_;
    BinaryTokens bin_;
    std::size_t floatSize_;
    Token peek_;
    bool havePeek_ = false;
    std::size_t nodes_ = 0;
    // Real files hold thousands of objects; this only bounds what a hostile file costs.
    static constexpr std::size_t kMaxNodes = std::size_t(1) << 22;
};

// ---------------------------------------------------------------------------------------
// MSZIP: after the header, a DWORD total size, then blocks of WORD inflated size, WORD
// compressed size (counting the "CK" that follows) and raw deflate data. Each block after
// the first inflates with the previous block's output as its preset dictionary.

bool Inflate(std::string_view in, std::string& out, std::string& error) {
    if (in.size() < 4) {
        error = "compressed file without a size";
        return false;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* end = p + in.size();
    const std::uint32_t declared = base::LoadLE32(p);
    p += 4;
    // The declared size is only a hint: never reserve more than the blocks could give.
    const std::size_t maxOut = std::min<std::size_t>(kMaxXFileSize, in.size() * 1100 + 65536);
    out.reserve(std::min<std::size_t>(declared, std::min<std::size_t>(maxOut, 64u << 20)));

    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) {
        error = "cannot start inflating";
        return false;
    }
    struct Guard {
        z_stream* z;
        ~Guard() { inflateEnd(z); }
    } guard{&z};

    std::size_t previousStart = 0;
    std::size_t previousSize = 0;
    unsigned char block[65536];
    bool first = true;
    while (p < end) {
        if (end - p < 4) {
            error = "truncated compressed block header";
            return false;
        }
        const std::size_t plainSize = base::LoadLE16(p);
        const std::size_t packedSize = base::LoadLE16(p + 2);
        p += 4;
        if (packedSize < 2 || packedSize > std::size_t(end - p) || p[0] != 'C' || p[1] != 'K') {
            error = "damaged compressed block";
            return false;
        }
        if (!first) {
            if (inflateReset(&z) != Z_OK ||
                inflateSetDictionary(&z, reinterpret_cast<const Bytef*>(out.data() + previousStart),
                                     static_cast<uInt>(previousSize)) != Z_OK) {
                error = "cannot inflate compressed block";
                return false;
            }
        }
        first = false;
        z.next_in = const_cast<Bytef*>(p + 2);
        z.avail_in = static_cast<uInt>(packedSize - 2);
        z.next_out = block;
        z.avail_out = static_cast<uInt>(plainSize);
        const int rc = inflate(&z, Z_FINISH);
        if (rc != Z_STREAM_END) {
            error = "damaged compressed data";
            return false;
        }
        const std::size_t produced = plainSize - z.avail_out;
        if (out.size() + produced > maxOut) {
            error = "compressed data inflates too far";
            return false;
        }
        previousStart = out.size();
        previousSize = produced;
        out.append(reinterpret_cast<const char*>(block), produced);
        p += packedSize;
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// Building meshes from the tree

using Matrix = std::array<double, 16>;  // row vectors: p' = p * M

Matrix Identity() {
    Matrix m{};
    m[0] = m[5] = m[10] = m[15] = 1.0;
    return m;
}

Matrix Multiply(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            double s = 0.0;
            for (int k = 0; k < 4; ++k) s += a[i * 4 + k] * b[k * 4 + j];
            r[i * 4 + j] = s;
        }
    }
    return r;
}

// Indices below 2^31 (checked when they were read) as the face-data list takes them.
std::span<const std::int32_t> AsSigned(std::span<const std::uint32_t> s) {
    return {reinterpret_cast<const std::int32_t*>(s.data()), s.size()};
}

// Reads values one by one, checking every count against what is really there.
class Values {
  public:
    explicit Values(const std::vector<double>& v) : v_(v) {}
    std::size_t Left() const { return v_.size() - pos_; }
    bool Float(float& out) {
        if (pos_ >= v_.size()) return false;
        out = base::ToFloat(v_[pos_++]);
        return true;
    }
    bool Double(double& out) {
        if (pos_ >= v_.size()) return false;
        out = v_[pos_++];
        return true;
    }
    // A count or index: a whole number 0..limit.
    bool Count(std::size_t& out, std::size_t limit) {
        if (pos_ >= v_.size()) return false;
        const double d = v_[pos_++];
        if (!(d >= 0.0) || d > double(limit) || d != std::floor(d)) return false;
        out = static_cast<std::size_t>(d);
        return true;
    }

  private:
    const std::vector<double>& v_;
    std::size_t pos_ = 0;
};

struct MaterialInfo {
    Color color = MeshBuilder::kDefaultFaceColor;
    TexturePtr texture;
};

class Builder {
  public:
    Builder(const Node& root, MeshBuilder& out) : root_(root), out_(out) { Index(root, 0); }

    bool Run(std::string& error) {
        for (const auto& child : root_.children) {
            if (!Visit(*child, Identity(), 1, error)) return false;
        }
        if (meshes_ == 0) {
            error = "the file holds no mesh";
            return false;
        }
        return true;
    }

  private:
    void Index(const Node& node, int depth) {
        if (depth > kMaxXNesting + 1) return;
        for (const auto& child : node.children) {
            if (!child->reference && !child->name.empty()) named_.emplace(child->name, child.get());
            Index(*child, depth + 1);
        }
    }

    const Node* Resolve(const Node& node) const {
        if (!node.reference) return &node;
        const auto it = named_.find(node.name);
        return it == named_.end() ? nullptr : it->second;
    }

    bool Visit(const Node& node, const Matrix& parent, int depth, std::string& error) {
        if (node.reference || depth > kMaxXNesting + 1) return true;
        if (node.type == "Mesh") return BuildMesh(node, parent, error);
        if (node.type != "Frame") return true;  // everything else is skipped
        Matrix world = parent;
        for (const auto& child : node.children) {
            if (child->type == "FrameTransformMatrix" && !child->reference) {
                Matrix local{};
                Values vals(child->values);
                bool ok = true;
                for (double& d : local) ok = ok && vals.Double(d);
                if (!ok) {
                    error = "frame transform with fewer than 16 numbers";
                    return false;
                }
                world = Multiply(local, parent);
                break;
            }
        }
        for (const auto& child : node.children) {
            if (!Visit(*child, world, depth + 1, error)) return false;
        }
        return true;
    }

    const MaterialInfo& Material(const Node* node) {
        static const MaterialInfo kNone;
        if (!node || node->type != "Material") return kNone;
        auto it = materials_.find(node);
        if (it != materials_.end()) return it->second;
        MaterialInfo info;
        Values vals(node->values);
        float rgba[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        bool ok = true;
        for (float& c : rgba) ok = ok && vals.Float(c);
        if (ok) {
            info.color = MakeColor(ChannelToByte(rgba[3]), ChannelToByte(rgba[0]),
                                   ChannelToByte(rgba[1]), ChannelToByte(rgba[2]));
        }
        for (const auto& child : node->children) {
            const Node* tex = Resolve(*child);
            if (tex && tex->type == "TextureFilename" && !tex->strings.empty()) {
                info.texture = std::make_shared<Texture>(tex->strings.front());
                break;
            }
        }
        return materials_.emplace(node, std::move(info)).first->second;
    }

    bool BuildMesh(const Node& mesh, const Matrix& m, std::string& error) {
        ++meshes_;
        Values vals(mesh.values);
        std::size_t nv = 0;
        if (!vals.Count(nv, vals.Left() / 3)) {
            error = "bad vertex count in mesh " + mesh.name;
            return false;
        }
        std::vector<Vector> vertices(nv);
        for (Vector& v : vertices) {
            double x = 0, y = 0, z = 0;
            vals.Double(x);
            vals.Double(y);
            vals.Double(z);
            v.x = base::ToFloat(x * m[0] + y * m[4] + z * m[8] + m[12]);
            v.y = base::ToFloat(x * m[1] + y * m[5] + z * m[9] + m[13]);
            v.z = base::ToFloat(x * m[2] + y * m[6] + z * m[10] + m[14]);
        }
        std::size_t nf = 0;
        if (!vals.Count(nf, vals.Left())) {
            error = "bad face count in mesh " + mesh.name;
            return false;
        }
        // faces[f] = (first index in `indices`, corner count)
        std::vector<std::pair<std::size_t, std::size_t>> faces(nf);
        std::vector<std::uint32_t> indices;
        indices.reserve(std::min(vals.Left(), nf * 3));
        for (auto& face : faces) {
            std::size_t n = 0;
            if (!vals.Count(n, vals.Left())) {
                error = "bad face in mesh " + mesh.name;
                return false;
            }
            face = {indices.size(), n};
            for (std::size_t k = 0; k < n; ++k) {
                std::size_t vi = 0;
                if (!vals.Count(vi, nv == 0 ? 0 : nv - 1) || nv == 0) {
                    error = "vertex index out of range in mesh " + mesh.name;
                    return false;
                }
                indices.push_back(static_cast<std::uint32_t>(vi));
            }
        }
        if (nv > 0x7FFFFFFF || indices.size() > 0x7FFFFFFF) {
            error = "mesh too large";
            return false;
        }

        const Node* normalsNode = nullptr;
        const Node* uvNode = nullptr;
        const Node* materialList = nullptr;
        for (const auto& child : mesh.children) {
            const Node* c = Resolve(*child);
            if (!c) continue;
            if (c->type == "MeshNormals" && !normalsNode) normalsNode = c;
            if (c->type == "MeshTextureCoords" && !uvNode) uvNode = c;
            if (c->type == "MeshMaterialList" && !materialList) materialList = c;
        }

        // Normals: their own list with per-corner indices; any mismatch drops them all.
        std::vector<Vector> normals;
        std::vector<std::uint32_t> normalIndex;
        if (normalsNode) ReadNormals(*normalsNode, faces, m, normals, normalIndex);

        // A face of more than 16 corners becomes several (SplitPolygon); pieces[f] counts
        // the mesh faces of file face f.
        FaceDataList data;
        const std::size_t step = normals.empty() ? 1 : 2;
        data.Reserve(faces.size() + indices.size() * step + 1);
        std::vector<std::uint32_t> pieces(nf, 0);
        for (std::size_t f = 0; f < nf; ++f) {
            const auto& [first, n] = faces[f];
            const std::span<const std::uint32_t> corners(indices.data() + first, n);
            const std::span<const std::uint32_t> cornerNormals =
                normals.empty() ? std::span<const std::uint32_t>()
                                : std::span<const std::uint32_t>(normalIndex.data() + first, n);
            pieces[f] = static_cast<std::uint32_t>(
                data.AddPolygon(vertices, AsSigned(corners), AsSigned(cornerNormals)));
        }
        data.Finish();
        std::vector<rm::Face> added;
        if (!out_.AddFaces(vertices, normals, data.Data(), &added)) {
            error = "cannot add the faces of mesh " + mesh.name;
            return false;
        }

        // Texture coordinates, one pair per vertex.
        std::vector<float> uv;
        if (uvNode) {
            Values tv(uvNode->values);
            std::size_t n = 0;
            if (tv.Count(n, tv.Left() / 2)) {
                uv.resize(n * 2);
                for (float& f : uv) tv.Float(f);
            }
        }

        // Materials: one index per face; a short list repeats its last index.
        std::vector<const MaterialInfo*> faceMaterial;
        if (materialList) {
            Values mv(materialList->values);
            std::size_t nMat = 0;
            std::size_t nIdx = 0;
            if (mv.Count(nMat, 0xFFFFFFFFu) && mv.Count(nIdx, mv.Left())) {
                std::vector<const Node*> mats;
                for (const auto& child : materialList->children) {
                    const Node* c = Resolve(*child);
                    if (child->reference || (c && c->type == "Material")) mats.push_back(c);
                }
                std::vector<std::size_t> idx(nIdx);
                bool ok = true;
                for (auto& i : idx) ok = ok && mv.Count(i, 0xFFFFFFFFu);
                if (ok) {
                    faceMaterial.resize(nf, nullptr);
                    for (std::size_t f = 0; f < nf && !idx.empty(); ++f) {
                        const std::size_t i = idx[std::min(f, idx.size() - 1)];
                        faceMaterial[f] = i < mats.size() ? &Material(mats[i]) : nullptr;
                    }
                }
            }
        }

        // The list holds each mesh face's corners as local vertex numbers: walk it beside
        // the faces.
        const std::span<const std::int32_t> list = data.Data();
        std::size_t pos = 0;
        std::size_t a = 0;
        for (std::size_t f = 0; f < nf; ++f) {
            for (std::uint32_t piece = 0; piece < pieces[f]; ++piece) {
                rm::Face& face = added[a++];
                const auto n = static_cast<std::size_t>(list[pos++]);
                if (!faceMaterial.empty() && faceMaterial[f]) {
                    face.SetColor(faceMaterial[f]->color);
                    face.SetTexture(faceMaterial[f]->texture);
                }
                for (std::size_t k = 0; k < n; ++k, pos += step) {
                    const auto vi = static_cast<std::size_t>(list[pos]);
                    if (vi * 2 + 1 < uv.size()) {
                        face.SetTextureCoordinates(int(k), uv[vi * 2], uv[vi * 2 + 1]);
                    }
                }
            }
        }
        return true;
    }

    static void ReadNormals(const Node& node,
                            const std::vector<std::pair<std::size_t, std::size_t>>& faces,
                            const Matrix& m, std::vector<Vector>& normals,
                            std::vector<std::uint32_t>& normalIndex) {
        Values vals(node.values);
        std::size_t nn = 0;
        if (!vals.Count(nn, vals.Left() / 3) || nn == 0) return;
        // Normals follow the inverse transpose of the transform's 3x3 part.
        double a = m[0], b = m[1], c = m[2], d = m[4], e = m[5], f = m[6], g = m[8], h = m[9],
               i = m[10];
        double inv[9] = {e * i - f * h, c * h - b * i, b * f - c * e, f * g - d * i, a * i - c * g,
                         c * d - a * f, d * h - e * g, b * g - a * h, a * e - b * d};
        const double det = a * inv[0] + b * inv[3] + c * inv[6];
        // p * M for points means n * (M^-1)^T for normals, i.e. n'_j = sum_k inv[j][k] n_k
        // where inv is the adjugate (its sign follows the determinant).
        const double sign = det < 0 ? -1.0 : 1.0;
        normals.resize(nn);
        for (Vector& nv : normals) {
            double x = 0, y = 0, z = 0;
            vals.Double(x);
            vals.Double(y);
            vals.Double(z);
            if (det != 0.0 && std::isfinite(det)) {
                const double nx = (inv[0] * x + inv[1] * y + inv[2] * z) * sign;
                const double ny = (inv[3] * x + inv[4] * y + inv[5] * z) * sign;
                const double nz = (inv[6] * x + inv[7] * y + inv[8] * z) * sign;
                const bool identity = a == 1 && e == 1 && i == 1 && b == 0 && c == 0 && d == 0 &&
                                      f == 0 && g == 0 && h == 0;
                nv = identity ? Vector{base::ToFloat(x), base::ToFloat(y), base::ToFloat(z)}
                              : Normalized(Vector{base::ToFloat(nx), base::ToFloat(ny),
                                                  base::ToFloat(nz)});
            } else {
                nv = Vector{base::ToFloat(x), base::ToFloat(y), base::ToFloat(z)};
            }
        }
        std::size_t nfn = 0;
        if (!vals.Count(nfn, vals.Left()) || nfn != faces.size()) {
            normals.clear();
            return;
        }
        normalIndex.clear();
        for (const auto& [first, n] : faces) {
            std::size_t count = 0;
            if (!vals.Count(count, vals.Left()) || count != n) {
                normals.clear();
                return;
            }
            for (std::size_t k = 0; k < n; ++k) {
                std::size_t ni = 0;
                if (!vals.Count(ni, nn - 1)) {
                    normals.clear();
                    return;
                }
                normalIndex.push_back(static_cast<std::uint32_t>(ni));
            }
        }
    }

    const Node& root_;
    MeshBuilder& out_;
    std::unordered_map<std::string, const Node*> named_;
    std::unordered_map<const Node*, MaterialInfo> materials_;
    int meshes_ = 0;
};

bool LoadImpl(std::string_view bytes, MeshBuilder& into, std::string& error, bool& unsupported) {
    if (bytes.size() < 16 || bytes.substr(0, 4) != "xof ") {
        error = "not a DirectX .x file";
        return false;
    }
    const std::string_view format = bytes.substr(8, 4);
    const std::string_view floats = bytes.substr(12, 4);
    std::size_t floatSize = 4;
    if (floats == "0064") {
        floatSize = 8;
    } else if (floats != "0032") {
        error = "unknown float size in the .x header";
        unsupported = true;
        return false;
    }
    std::string_view body = bytes.substr(16);
    std::string inflated;
    bool binary = false;
    if (format == "txt ") {
    } else if (format == "bin ") {
        binary = true;
    } else if (format == "tzip" || format == "bzip") {
        if (!Inflate(body, inflated, error)) return false;
        body = inflated;
        binary = format == "bzip";
    } else {
        error = "unknown .x format";
        unsupported = true;
        return false;
    }

    Node root;
    Parser parser(body, binary, floatSize);
    if (!parser.ParseFile(root, error)) return false;
    inflated = std::string();  // the tree holds all that is needed

    MeshBuilder loaded;
    Builder builder(root, loaded);
    if (!builder.Run(error)) return false;
    if (!into.AddMeshBuilder(std::move(loaded))) {
        error = "cannot merge the loaded meshes";
        return false;
    }
    return true;
}

}  // namespace

bool LoadXFromMemory(std::string_view bytes, MeshBuilder& into, std::string* error,
                     XLoadFailure* failure) {
    std::string why;
    bool unsupported = false;
    XLoadFailure kind = XLoadFailure::None;
    try {
        if (!LoadImpl(bytes, into, why, unsupported)) {
            kind = unsupported ? XLoadFailure::Unsupported : XLoadFailure::Malformed;
        }
    } catch (const std::bad_alloc&) {
        why = "out of memory";
        kind = XLoadFailure::OutOfMemory;
    } catch (const std::length_error&) {
        why = "out of memory";
        kind = XLoadFailure::OutOfMemory;
    }
    if (failure) *failure = kind;
    if (kind != XLoadFailure::None && error) *error = why;
    return kind == XLoadFailure::None;
}

}  // namespace rm
