// The .x loader: header, MSZIP inflation, text and binary token streams, a tree of data
// objects, and the meshes built from it.
#include <zlib.h>

#include <algorithm>
#include <array>
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

#include "base/big_buffer.h"
#include "base/numbers.h"
#include "rm/face_data.h"
#include "rm/matrix.h"
#include "rm/xfile.h"

namespace rm {
namespace {

// ---------------------------------------------------------------------------------------
// The numbers of a data object, kept compactly: a whole number 0..2^31-1 in one 32-bit
// word, any other value as a marker word and the double's 64 bits. A large mesh is
// mostly indices, so this holds it in about half the memory of plain doubles.

class ValueList {
  public:
    void Push(double d) {
        if (d >= 0.0 && d < kMarker && double(static_cast<std::uint32_t>(d)) == d &&
            !std::signbit(d)) {
            words_.Push(static_cast<std::uint32_t>(d));
        } else {
            std::uint32_t* w = words_.Ensure(3);
            const std::uint64_t bits = base::BitsOfDouble(d);
            w[0] = kMarker;
            w[1] = static_cast<std::uint32_t>(bits);
            w[2] = static_cast<std::uint32_t>(bits >> 32);
            words_.Commit(3);
        }
        ++count_;
    }
    // A whole number (a count or an index, as the text spells most of them).
    void PushWhole(std::uint64_t w) {
        if (w >= kMarker) return Push(double(w));
        words_.Push(static_cast<std::uint32_t>(w));
        ++count_;
    }
    std::size_t Count() const { return count_; }

  private:
    friend class Values;
    static constexpr std::uint32_t kMarker = 0x80000000u;
    base::BigBuffer<std::uint32_t> words_;
    std::size_t count_ = 0;
};

// Reads values one by one, checking every count against what is really there.
class Values {
  public:
    explicit Values(const ValueList& v) : v_(v) {}
    std::size_t Left() const { return v_.count_ - index_; }
    bool Double(double& out) {
        if (index_ >= v_.count_) return false;
        ++index_;
        const std::uint32_t w = v_.words_[pos_];
        if (w != ValueList::kMarker) {
            out = double(w);
            ++pos_;
            return true;
        }
        out = base::DoubleFromBits(std::uint64_t(v_.words_[pos_ + 1]) |
                                   (std::uint64_t(v_.words_[pos_ + 2]) << 32));
        pos_ += 3;
        return true;
    }
    bool Float(float& out) {
        double d = 0.0;
        if (!Double(d)) return false;
        out = base::ToFloat(d);
        return true;
    }
    // The next value as a count or index, once checked by Count.
    std::uint32_t Checked() {
        if (const std::uint32_t* w = NextWhole()) return *w;
        double d = 0.0;
        Double(d);
        return static_cast<std::uint32_t>(d);
    }
    // A count or index: a whole number 0..limit.
    bool Count(std::size_t& out, std::size_t limit) {
        if (const std::uint32_t* w = NextWhole()) {
            if (*w > limit) return false;
            out = *w;
            return true;
        }
        double d = 0.0;
        if (!Double(d)) return false;
        if (!(d >= 0.0) || d > double(limit) || d != std::floor(d)) return false;
        out = static_cast<std::size_t>(d);
        return true;
    }

  private:
    // The next value when it is held as a whole number (then read), else null.
    const std::uint32_t* NextWhole() {
        if (index_ >= v_.count_ || v_.words_[pos_] == ValueList::kMarker) return nullptr;
        ++index_;
        return &v_.words_[pos_++];
    }

    const ValueList& v_;
    std::size_t index_ = 0;  // values read
    std::size_t pos_ = 0;    // words read
};

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
};

// Separators, brackets and type keywords (";", ",", "[", "DWORD" in binary...) carry
// nothing a data object needs: the token streams pass over them and only note, in
// `separated`, that one stood before the token they return.
struct Token {
    Tok kind = Tok::End;
    bool separated = false;
    std::string_view text;
    double number = 0.0;
    const unsigned char* data = nullptr;
    std::size_t count = 0;
};

bool IsNameChar(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c >= 0x80;
}

// Byte classes of the number runs: blanks and separators between numbers (kGap), bytes of
// names and numbers (kWord), and the rest (kOther: braces, quotes, comments...).
enum : std::uint8_t { kOther = 0, kGap = 1, kWord = 2 };
constexpr std::array<std::uint8_t, 256> MakeClasses() {
    std::array<std::uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= ' ' || u == ';' || u == ',') {
            t[std::size_t(c)] = kGap;
        } else if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') ||
                   u == '_' || u == '-' || u == '.' || u >= 0x80) {
            t[std::size_t(c)] = kWord;
        }
    }
    return t;
}
constexpr std::array<std::uint8_t, 256> kClass = MakeClasses();

// Reads tokens from a text body ("txt " and inflated "tzip").
class TextTokens {
  public:
    explicit TextTokens(std::string_view s) : s_(s) {}

    Token Next() {
        Token t;
        for (;;) {
            SkipBlanksAndComments();
            if (pos_ >= s_.size()) return t;  // End
            if (!Punctuation(t)) return t;
            t.separated = true;
        }
    }

    // Reads the numbers that follow, with the blanks and separators between them, into
    // `values`, as Next would return them one by one; stops before anything else (a
    // comment, a name, a brace...), which Next then reads.
    void NumberRun(ValueList& values) {
        const char* const begin = s_.data();
        const char* const end = begin + s_.size();
        const char* p = begin + pos_;
        for (;;) {
            while (p < end && kClass[static_cast<unsigned char>(*p)] == kGap) ++p;
            pos_ = std::size_t(p - begin);
            if (p == end) return;
            const char c = *p;
            if (base::IsDigit(c)) {
                // Counts and indices: up to 15 digits, no point or exponent, no name after.
                const char* q = p;
                std::uint64_t whole = 0;
                while (q < end && q - p < 15 && base::IsDigit(*q)) {
                    whole = whole * 10 + std::uint64_t(*q++ - '0');
                }
                if (q == end || kClass[static_cast<unsigned char>(*q)] == kGap ||
                    kClass[static_cast<unsigned char>(*q)] == kOther) {
                    values.PushWhole(whole);
                    p = q;
                    continue;
                }
            } else if (!((c == '-' || c == '.') && p + 1 < end &&
                         (base::IsDigit(p[1]) || p[1] == '.'))) {
                return;  // "+" and everything else: Next
            }
            std::string_view rest(p, std::size_t(end - p));
            double value = 0.0;
            if (!base::ScanDecimal(rest, value)) return;
            const char* q = rest.data();
            // "1stFrame" is a name, not 1 followed by "stFrame".
            if (q < end && IsNameChar(static_cast<unsigned char>(*q)) && *q != '-' && *q != '.') {
                return;
            }
            values.Push(value);
            p = q;
        }
    }

  private:
    // Blanks (every byte up to the space), "#" and "//" comments to the end of the line.
    void SkipBlanksAndComments() {
        for (;;) {
            while (pos_ < s_.size() && static_cast<unsigned char>(s_[pos_]) <= ' ') ++pos_;
            if (pos_ >= s_.size()) return;
            const char c = s_[pos_];
            if (c != '#' && !(c == '/' && pos_ + 1 < s_.size() && s_[pos_ + 1] == '/')) return;
            const std::size_t eol = s_.find('\n', pos_);
            pos_ = eol == std::string_view::npos ? s_.size() : eol + 1;
        }
    }

    // The token at pos_ into `t`; false when it is one, true for a separator passed over.
    bool Punctuation(Token& t) {
        const char c = s_[pos_];
        switch (c) {
            case '{':
                ++pos_;
                t.kind = Tok::OBrace;
                return false;
            case '}':
                ++pos_;
                t.kind = Tok::CBrace;
                return false;
            case '<':
                return !Enclosed('>', Tok::Guid, t);
            case '"':
                return !Enclosed('"', Tok::String, t);
            case ';':
            case ',':
                ++pos_;
                return true;
            default:
                return !NumberOrName(t);
        }
    }

    // A GUID or a string: everything up to the closing character (an Error without one).
    bool Enclosed(char close, Tok kind, Token& t) {
        const std::size_t end = s_.find(close, pos_ + 1);
        if (end == std::string_view::npos) {
            t.kind = Tok::Error;
            return true;
        }
        t.kind = kind;
        if (kind == Tok::String) t.text = s_.substr(pos_ + 1, end - pos_ - 1);
        pos_ = end + 1;
        return true;
    }

    // A number, a name, or (false) a character that is neither, passed over.
    bool NumberOrName(Token& t) {
        const char c = s_[pos_];
        if (c >= '0' && c <= '9' && WholeNumber(t)) return true;
        const bool numberStart =
            (c >= '0' && c <= '9') ||
            ((c == '-' || c == '+' || c == '.') && pos_ + 1 < s_.size() &&
             ((s_[pos_ + 1] >= '0' && s_[pos_ + 1] <= '9') || s_[pos_ + 1] == '.'));
        if (numberStart) {
            std::string_view rest = s_.substr(pos_ + (c == '+' ? 1 : 0));
            double value = 0.0;
            if (base::ScanDecimal(rest, value)) {
                const std::size_t end = s_.size() - rest.size();
                // "1stFrame" is a name, not 1 followed by "stFrame".
                if (end < s_.size() && IsNameChar(static_cast<unsigned char>(s_[end])) &&
                    s_[end] != '-' && s_[end] != '.') {
                    return Name(t);
                }
                pos_ = end;
                t.kind = Tok::Number;
                t.number = value;
                return true;
            }
        }
        if (IsNameChar(static_cast<unsigned char>(c))) return Name(t);
        ++pos_;  // [ ] ( ) and anything else
        return false;
    }

    // The fast path for counts and indices: up to 15 digits, no point or exponent.
    bool WholeNumber(Token& t) {
        std::size_t end = pos_;
        std::uint64_t whole = 0;
        while (end < s_.size() && end - pos_ < 15 && s_[end] >= '0' && s_[end] <= '9') {
            whole = whole * 10 + std::uint64_t(s_[end] - '0');
            ++end;
        }
        if (end < s_.size() &&
            (IsNameChar(static_cast<unsigned char>(s_[end])) || s_[end] == 'e' || s_[end] == 'E')) {
            return false;
        }
        pos_ = end;
        t.kind = Tok::Number;
        t.number = double(whole);
        return true;
    }

    // A name; false for a sign that starts none ("+x"), passed over.
    bool Name(Token& t) {
        const std::size_t start = pos_;
        while (pos_ < s_.size() && IsNameChar(static_cast<unsigned char>(s_[pos_]))) ++pos_;
        if (pos_ == start) {
            ++pos_;
            return false;
        }
        t.kind = Tok::Name;
        t.text = s_.substr(start, pos_ - start);
        return true;
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
        while (One(t)) t.separated = true;
        return t;
    }

  private:
    std::size_t Left() const { return std::size_t(end_ - p_); }

    // The token at p_ into `t`; true for a separator or type keyword, passed over.
    bool One(Token& t) {
        t.kind = Tok::End;
        if (p_ == end_) return false;
        t.kind = Tok::Error;
        if (Left() < 2) return false;
        const std::uint16_t tok = base::LoadLE16(p_);
        p_ += 2;
        switch (tok) {
            case 1:  // name: DWORD count, chars
            case 2:  // string: DWORD count, chars, maybe a DWORD terminator
                Text(tok, t);
                return false;
            case 3:  // integer: DWORD
                if (Left() < 4) return false;
                t.kind = Tok::Number;
                t.number = base::LoadLE32(p_);
                p_ += 4;
                return false;
            case 5:  // GUID: 16 bytes
                if (Left() < 16) return false;
                p_ += 16;
                t.kind = Tok::Guid;
                return false;
            case 6:  // integer list
            case 7:  // float list
                List(tok, t);
                return false;
            case 10:
                t.kind = Tok::OBrace;
                return false;
            case 11:
                t.kind = Tok::CBrace;
                return false;
            case 31:
                t.kind = Tok::Template;
                return false;
            default:
                return (tok >= 12 && tok <= 20) || (tok >= 40 && tok <= 53);  // else Error
        }
    }

    void Text(std::uint16_t tok, Token& t) {
        if (Left() < 4) return;
        const std::uint32_t n = base::LoadLE32(p_);
        p_ += 4;
        if (n > Left()) return;
        t.text = std::string_view(reinterpret_cast<const char*>(p_), n);
        p_ += n;
        if (tok == 2 && Left() >= 4 && (base::LoadLE32(p_) == 19 || base::LoadLE32(p_) == 20))
            p_ += 4;
        t.kind = tok == 1 ? Tok::Name : Tok::String;
    }

    void List(std::uint16_t tok, Token& t) {
        if (Left() < 4) return;
        const std::uint32_t n = base::LoadLE32(p_);
        p_ += 4;
        const std::size_t size = tok == 6 ? 4 : floatSize_;
        if (n > Left() / size) return;
        t.kind = tok == 6 ? Tok::IntList : Tok::FloatList;
        t.data = p_;
        t.count = n;
        p_ += std::size_t(n) * size;
    }

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
    ValueList values;
    std::vector<std::string> strings;
    std::vector<std::unique_ptr<Node>> children;
};

// The data objects whose contents the meshes are built from; the others keep only their
// children.
bool KeepsValues(const std::string& type) {
    return type == "Mesh" || type == "MeshNormals" || type == "MeshTextureCoords" ||
           type == "MeshMaterialList" || type == "Material" || type == "TextureFilename" ||
           type == "FrameTransformMatrix";
}

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
            } else if (t.kind != Tok::Guid) {
                error = "malformed reference";
                return false;
            }
        }
    }

    // After the template name: [object name] '{' [guid] contents '}'. Nothing may stand
    // between the name and the brace.
    bool ParseObject(std::string type, Node& parent, int depth, std::string& error) {
        if (depth > kMaxXNesting) {
            error = "data objects nested too deeply";
            return false;
        }
        auto node = std::make_unique<Node>();
        node->type = std::move(type);
        Token t = Next();
        if (t.kind == Tok::Name && !t.separated) {
            node->name = std::string(t.text);
            t = Next();
        }
        if (t.kind != Tok::OBrace || t.separated) {
            error = "expected '{' after " + node->type;
            return false;
        }
        if (++nodes_ > kMaxNodes) {
            error = "too many data objects";
            return false;
        }
        Node& self = *node;
        parent.children.push_back(std::move(node));
        return ParseContents(self, KeepsValues(self.type), depth, error);
    }

    // The contents of an object up to its '}': numbers and strings (kept when `keep`),
    // references and nested objects.
    bool ParseContents(Node& self, bool keep, int depth, std::string& error) {
        for (;;) {
            if (keep && !binary_ && !havePeek_) text_.NumberRun(self.values);
            const Token t = Next();
            switch (t.kind) {
                case Tok::CBrace:
                    return true;
                case Tok::End:
                case Tok::Error:
                    error = "truncated or damaged data object " + self.type;
                    return false;
                case Tok::Number:
                    if (keep) self.values.Push(t.number);
                    break;
                case Tok::IntList:
                case Tok::FloatList:
                    if (keep) PushList(t, self.values);
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
                    const Token& next = Peek();
                    if ((next.kind == Tok::OBrace || next.kind == Tok::Name) && !next.separated) {
                        if (!ParseObject(std::string(t.text), self, depth + 1, error)) return false;
                    }
                    break;
                }
                case Tok::Template:
                    error = "template declaration inside a data object";
                    return false;
                case Tok::Guid:
                    break;
            }
        }
    }

    void PushList(const Token& t, ValueList& values) const {
        for (std::size_t i = 0; i < t.count; ++i) {
            if (t.kind == Tok::IntList) {
                values.Push(base::LoadLE32(t.data + 4 * i));
            } else {
                values.Push(floatSize_ == 8 ? base::LoadLEDouble(t.data + 8 * i)
                                            : base::LoadLEFloat(t.data + 4 * i));
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

// Inflates the blocks one after another, each with the previous block's output as its
// preset dictionary.
class BlockInflater {
  public:
    BlockInflater() = default;
    BlockInflater(const BlockInflater&) = delete;
    BlockInflater& operator=(const BlockInflater&) = delete;
    ~BlockInflater() {
        if (started_) inflateEnd(&z_);
    }

    bool Start(std::string& error) {
        if (inflateInit2(&z_, -MAX_WBITS) != Z_OK) {
            error = "cannot start inflating";
            return false;
        }
        started_ = true;
        return true;
    }

    // Appends the block's output to `out`: `packed` is its deflate data after the "CK".
    bool Block(const unsigned char* packed, std::size_t packedSize, std::size_t plainSize,
               std::size_t maxOut, std::string& out, std::string& error) {
        if (!first_) {
            if (inflateReset(&z_) != Z_OK ||
                inflateSetDictionary(&z_,
                                     reinterpret_cast<const Bytef*>(out.data() + previousStart_),
                                     static_cast<uInt>(previousSize_)) != Z_OK) {
                error = "cannot inflate compressed block";
                return false;
            }
        }
        first_ = false;
        unsigned char block[65536];
        z_.next_in = const_cast<Bytef*>(packed);
        z_.avail_in = static_cast<uInt>(packedSize);
        z_.next_out = block;
        z_.avail_out = static_cast<uInt>(plainSize);
        const int rc = inflate(&z_, Z_FINISH);
        if (rc != Z_STREAM_END) {
            error = "damaged compressed data";
            return false;
        }
        const std::size_t produced = plainSize - z_.avail_out;
        if (out.size() + produced > maxOut) {
            error = "compressed data inflates too far";
            return false;
        }
        previousStart_ = out.size();
        previousSize_ = produced;
        out.append(reinterpret_cast<const char*>(block), produced);
        return true;
    }

  private:
    z_stream z_{};
    bool started_ = false;
    bool first_ = true;
    std::size_t previousStart_ = 0;
    std::size_t previousSize_ = 0;
};

bool Inflate(std::string_view in, std::size_t maxInflated, std::string& out, std::string& error) {
    if (in.size() < 4) {
        error = "compressed file without a size";
        return false;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const auto* end = p + in.size();
    const std::uint32_t declared = base::LoadLE32(p);
    p += 4;
    // The declared size is only a hint: never reserve more than the blocks could give.
    const std::size_t maxOut = std::min<std::size_t>(maxInflated, in.size() * 1100 + 65536);
    out.reserve(std::min<std::size_t>(declared, std::min<std::size_t>(maxOut, 64u << 20)));

    BlockInflater inflater;
    if (!inflater.Start(error)) return false;
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
        if (!inflater.Block(p + 2, packedSize - 2, plainSize, maxOut, out, error)) return false;
        p += packedSize;
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// Building meshes from the tree

// A point moved by `m`, in doubles, rounded to floats at the end.
Vector Transform(double x, double y, double z, const MatrixD& m) {
    double p[3];
    m.TransformPoint(x, y, z, p);
    return {base::ToFloat(p[0]), base::ToFloat(p[1]), base::ToFloat(p[2])};
}

struct MaterialInfo {
    Color color = MeshBuilder::kDefaultFaceColor;
    TexturePtr texture;
    bool clear = false;  // its colour was read with alpha exactly 0
};

// The faces of one Mesh object as the file lists them, read again from its values once
// checked: per face its corner count n, then n vertex numbers of the Mesh (below its
// vertex count).
struct FaceList {
    explicit FaceList(const Values& at) : start(at) {}
    Values start;  // at the first face's corner count
    std::size_t faces = 0;
    std::size_t corners = 0;
};

// The objects a Mesh takes its normals, texture coordinates and materials from (the first
// of each kind among its children and references).
struct MeshParts {
    const Node* normals = nullptr;
    const Node* uv = nullptr;
    const Node* materials = nullptr;
};

class Builder {
  public:
    Builder(const Node& root, MeshBuilder& out) : root_(root), out_(out) { Index(root, 0); }

    bool Run(std::string& error) {
        for (const auto& child : root_.children) {
            if (!Visit(*child, MatrixD{}, 1, error)) return false;
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

    bool Visit(const Node& node, const MatrixD& parent, int depth, std::string& error) {
        if (node.reference || depth > kMaxXNesting + 1) return true;
        if (node.type == "Mesh") return BuildMesh(node, parent, error);
        if (node.type != "Frame") return true;  // everything else is skipped
        MatrixD world = parent;
        if (!FrameTransform(node, parent, world, error)) return false;
        for (const auto& child : node.children) {
            if (!Visit(*child, world, depth + 1, error)) return false;
        }
        return true;
    }

    // The frame's first FrameTransformMatrix, applied before the parent's transform.
    static bool FrameTransform(const Node& frame, const MatrixD& parent, MatrixD& world,
                               std::string& error) {
        for (const auto& child : frame.children) {
            if (child->type == "FrameTransformMatrix" && !child->reference) {
                MatrixD local;
                Values vals(child->values);
                bool ok = true;
                for (auto& row : local.m) {
                    for (double& d : row) ok = ok && vals.Double(d);
                }
                if (!ok) {
                    error = "frame transform with fewer than 16 numbers";
                    return false;
                }
                world = local * parent;
                return true;
            }
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
            info.clear = rgba[3] == 0.0f;
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

    // A Mesh: vertices, faces, then what its children add (normals, texture coordinates,
    // materials); its faces are appended to the loaded mesh.
    bool BuildMesh(const Node& mesh, const MatrixD& m, std::string& error) {
        ++meshes_;
        Values vals(mesh.values);
        std::size_t nv = 0;
        if (!vals.Count(nv, vals.Left() / 3)) {
            error = "bad vertex count in mesh " + mesh.name;
            return false;
        }
        const std::size_t vertexBase = out_.GetVertexCount();
        ReadVertices(vals, nv, m);
        std::size_t nf = 0;
        if (!vals.Count(nf, vals.Left())) {
            error = "bad face count in mesh " + mesh.name;
            return false;
        }
        FaceList faces(vals);
        faces.faces = nf;
        if (!CheckFaces(vals, nv, faces, mesh.name, error)) return false;
        if (nv > 0x7FFFFFFF || faces.corners > 0x7FFFFFFF ||
            vertexBase + nv > std::size_t(MeshBuilder::kNoNormal) - 1) {
            error = "mesh too large";
            return false;
        }
        const MeshParts parts = FindParts(mesh);

        // Normals: their own list with per-corner indices; any mismatch drops them all.
        std::vector<Vector> normals;
        std::vector<std::uint32_t> normalIndex;
        if (parts.normals) ReadNormals(*parts.normals, faces, m, normals, normalIndex);
        const std::vector<float> uv =
            parts.uv ? ReadTextureCoordinates(*parts.uv) : std::vector<float>();
        const std::vector<const MaterialInfo*> faceMaterial =
            parts.materials ? FaceMaterials(*parts.materials, faces.faces)
                            : std::vector<const MaterialInfo*>();

        const std::size_t normalBase = out_.Normals().size();
        if (normalBase + normals.size() > std::size_t(MeshBuilder::kNoNormal) - 1) {
            error = "cannot add the faces of mesh " + mesh.name;
            return false;
        }
        out_.Normals().insert(out_.Normals().end(), normals.begin(), normals.end());
        if (!normals.empty()) {
            for (std::uint32_t& i : normalIndex) i += static_cast<std::uint32_t>(normalBase);
        } else {
            normalIndex.clear();
        }
        if (!AppendFaces(faces, vertexBase, normalIndex, uv, faceMaterial)) {
            error = "cannot add the faces of mesh " + mesh.name;
            return false;
        }
        return true;
    }

    // `nv` vertices (the count checked against the values left), moved by `m`.
    void ReadVertices(Values& vals, std::size_t nv, const MatrixD& m) {
        out_.ReserveVertices(nv, 0);
        std::vector<Vector>& vertices = out_.Vertices();
        for (std::size_t i = 0; i < nv; ++i) {
            double x = 0, y = 0, z = 0;
            vals.Double(x);
            vals.Double(y);
            vals.Double(z);
            vertices.push_back(Transform(x, y, z, m));
        }
    }

    // Checks every face (count and vertex numbers) and counts the corners.
    static bool CheckFaces(Values& vals, std::size_t nv, FaceList& faces, const std::string& mesh,
                           std::string& error) {
        for (std::size_t f = 0; f < faces.faces; ++f) {
            std::size_t n = 0;
            if (!vals.Count(n, vals.Left())) {
                error = "bad face in mesh " + mesh;
                return false;
            }
            faces.corners += n;
            for (std::size_t k = 0; k < n; ++k) {
                std::size_t vi = 0;
                if (!vals.Count(vi, nv == 0 ? 0 : nv - 1) || nv == 0) {
                    error = "vertex index out of range in mesh " + mesh;
                    return false;
                }
            }
        }
        return true;
    }

    MeshParts FindParts(const Node& mesh) const {
        MeshParts parts;
        for (const auto& child : mesh.children) {
            const Node* c = Resolve(*child);
            if (!c) continue;
            if (c->type == "MeshNormals" && !parts.normals) parts.normals = c;
            if (c->type == "MeshTextureCoords" && !parts.uv) parts.uv = c;
            if (c->type == "MeshMaterialList" && !parts.materials) parts.materials = c;
        }
        return parts;
    }

    // Texture coordinates, one (u, v) pair per vertex; none when the count is bad.
    static std::vector<float> ReadTextureCoordinates(const Node& node) {
        std::vector<float> uv;
        Values tv(node.values);
        std::size_t n = 0;
        if (tv.Count(n, tv.Left() / 2)) {
            uv.resize(n * 2);
            for (float& f : uv) tv.Float(f);
        }
        return uv;
    }

    // One material per file face (null for none); a short index list repeats its last
    // index. Empty when the list is damaged.
    std::vector<const MaterialInfo*> FaceMaterials(const Node& list, std::size_t nf) {
        std::vector<const MaterialInfo*> faceMaterial;
        Values mv(list.values);
        std::size_t nMat = 0;
        std::size_t nIdx = 0;
        if (!mv.Count(nMat, 0xFFFFFFFFu) || !mv.Count(nIdx, mv.Left())) return faceMaterial;
        std::vector<const Node*> mats;
        for (const auto& child : list.children) {
            const Node* c = Resolve(*child);
            if (child->reference || (c && c->type == "Material")) mats.push_back(c);
        }
        std::vector<std::size_t> idx(nIdx);
        for (auto& i : idx) {
            if (!mv.Count(i, 0xFFFFFFFFu)) return faceMaterial;
        }
        faceMaterial.resize(nf, nullptr);
        for (std::size_t f = 0; f < nf && !idx.empty(); ++f) {
            const std::size_t i = idx[std::min(f, idx.size() - 1)];
            faceMaterial[f] = i < mats.size() ? &Material(mats[i]) : nullptr;
        }
        return faceMaterial;
    }

    // Appends the faces (a face of more than 16 corners as several, see PolygonAppender;
    // one without corners as none), each with its material and its corners' texture
    // coordinates.
    bool AppendFaces(const FaceList& faces, std::size_t vertexBase,
                     const std::vector<std::uint32_t>& normalIndex, const std::vector<float>& uv,
                     const std::vector<const MaterialInfo*>& faceMaterial) {
        out_.ReserveFaces(faces.faces, faces.corners);
        PolygonAppender polygons(out_);
        std::vector<std::uint32_t> corners;
        Values list = faces.start;
        const std::uint32_t* cornerNormals = normalIndex.data();
        for (std::size_t f = 0; f < faces.faces; ++f) {
            const std::size_t n = list.Checked();
            corners.resize(n);
            for (std::size_t k = 0; k < n; ++k) {
                corners[k] = static_cast<std::uint32_t>(vertexBase + list.Checked());
            }
            const std::size_t first = out_.FaceRecords().size();
            const std::span<const std::uint32_t> normals =
                normalIndex.empty() ? std::span<const std::uint32_t>()
                                    : std::span<const std::uint32_t>(cornerNormals, n);
            cornerNormals += normalIndex.empty() ? 0 : n;
            if (n == 0) continue;  // a face without corners adds nothing
            const std::size_t pieces = n <= kMaxFaceCorners && normals.empty()
                                           ? (out_.AppendFace(corners) ? 1 : 0)
                                           : polygons.Add(corners, normals);
            if (pieces == 0) return false;
            const MaterialInfo* material = faceMaterial.empty() ? nullptr : faceMaterial[f];
            if (!material && uv.empty()) continue;
            for (std::size_t a = first; a < first + pieces; ++a) {
                if (material) {
                    MeshBuilder::FaceRecord& record = out_.MutableFaceRecord(a);
                    record.color = material->color;
                    out_.SetFaceTexture(a, material->texture);
                }
                const MeshBuilder::CornerRange range = out_.FaceCorners(a);
                for (std::size_t k = 0; k < range.size(); ++k) {
                    const std::size_t vi = range.Vertex(k) - vertexBase;
                    if (vi * 2 + 1 < uv.size()) {
                        out_.SetCornerTextureCoordinates(a, k, uv[vi * 2], uv[vi * 2 + 1]);
                    }
                }
            }
        }
        return true;
    }

    static void ReadNormals(const Node& node, const FaceList& faces, const MatrixD& m,
                            std::vector<Vector>& normals, std::vector<std::uint32_t>& normalIndex) {
        Values vals(node.values);
        std::size_t nn = 0;
        if (!vals.Count(nn, vals.Left() / 3) || nn == 0) return;
        // Normals follow the inverse transpose of the transform's 3x3 part.
        const auto& r = m.m;
        double a = r[0][0], b = r[0][1], c = r[0][2], d = r[1][0], e = r[1][1], f = r[1][2],
               g = r[2][0], h = r[2][1], i = r[2][2];
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
        if (!vals.Count(nfn, vals.Left()) || nfn != faces.faces) {
            normals.clear();
            return;
        }
        normalIndex.clear();
        Values list = faces.start;
        for (std::size_t face = 0; face < faces.faces; ++face) {
            const std::size_t n = list.Checked();
            for (std::size_t k = 0; k < n; ++k) list.Checked();
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

  public:
    // True when the faces use materials and every one of them has alpha exactly 0: what
    // exporters write when they mean nothing by alpha.
    bool EveryMaterialClear() const {
        if (materials_.empty()) return false;
        for (const auto& entry : materials_) {
            if (!entry.second.clear) return false;
        }
        return true;
    }

  private:
    const Node& root_;
    MeshBuilder& out_;
    std::unordered_map<std::string, const Node*> named_;
    std::unordered_map<const Node*, MaterialInfo> materials_;
    int meshes_ = 0;
};

bool LoadImpl(std::string_view bytes, std::size_t maxInflated, MeshBuilder& into,
              std::string& error, bool& unsupported) {
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
        if (!Inflate(body, maxInflated, inflated, error)) return false;
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
    // A file whose materials are all fully transparent would show nothing: its faces are
    // read as opaque. A file where only some are transparent keeps them as they are.
    if (builder.EveryMaterialClear()) {
        for (std::size_t f = 0; f < loaded.FaceRecords().size(); ++f) {
            Color& color = loaded.MutableFaceRecord(f).color;
            color = MakeColor(255, ColorRed(color), ColorGreen(color), ColorBlue(color));
        }
    }
    if (!into.AddMeshBuilder(std::move(loaded))) {
        error = "cannot merge the loaded meshes";
        return false;
    }
    return true;
}

}  // namespace

bool LoadXFromMemory(std::string_view bytes, MeshBuilder& into, std::string* error,
                     XLoadFailure* failure, std::size_t maxInflated) {
    std::string why;
    bool unsupported = false;
    XLoadFailure kind = XLoadFailure::None;
    try {
        if (!LoadImpl(bytes, maxInflated, into, why, unsupported)) {
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
