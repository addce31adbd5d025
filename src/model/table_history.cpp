#include "model/table_history.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace model {

namespace {

constexpr int kCorners = MAX_FACE_VERTICES;
constexpr int kPoolBlock = 64;  // vertices per compared block of the pool (768 bytes)
constexpr int kPoolBlocks = (MAX_POOL_VERTICES + kPoolBlock - 1) / kPoolBlock;

using Positions = std::array<rm::Vector, kCorners>;
using Indices = std::array<int, kCorners>;
using Coords = std::array<float, kCorners>;
using PoolBlock = std::array<rm::Vector, kPoolBlock>;

// The selection as runs [begin, end) of selected corners, numbered f * 16 + k.
std::vector<std::uint32_t> SelectionRuns(const FaceTable& t) {
    std::vector<std::uint32_t> runs;
    bool inRun = false;
    for (int f = 0; f < MAX_FACES; ++f) {
        for (int k = 0; k < kCorners; ++k) {
            const bool on = t.selected[f][k] != 0;
            if (on != inRun) {
                runs.push_back(std::uint32_t(f * kCorners + k));
                inRun = on;
            }
        }
    }
    if (inRun) runs.push_back(std::uint32_t(MAX_FACES * kCorners));
    return runs;
}

void SetSelection(FaceTable& t, const std::vector<std::uint32_t>& runs) {
    t.ClearSelection();
    int* flat = &t.selected[0][0];
    for (std::size_t i = 0; i + 1 < runs.size(); i += 2) {
        std::fill(flat + runs[i], flat + runs[i + 1], 1);
    }
}

bool SameColor(const FaceColor& a, const FaceColor& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

template <typename T>
std::size_t BytesOf(const std::vector<T>& v) {
    return v.size() * sizeof(T);
}

}  // namespace

// The table as the last step left it.
struct TableHistory::Copy {
    int faceCount = 0;
    int poolVertexCount = 0;
    rm::Quality quality = rm::Quality::Gouraud;
    std::vector<int> vertexCount = std::vector<int>(MAX_FACES);
    std::vector<Positions> position = std::vector<Positions>(MAX_FACES);
    std::vector<Positions> normal = std::vector<Positions>(MAX_FACES);
    std::vector<Indices> vertexIndex = std::vector<Indices>(MAX_FACES);
    std::vector<Coords> texU = std::vector<Coords>(MAX_FACES);
    std::vector<Coords> texV = std::vector<Coords>(MAX_FACES);
    std::vector<FaceColor> color = std::vector<FaceColor>(MAX_FACES);
    std::vector<rm::TexturePtr> texture = std::vector<rm::TexturePtr>(MAX_FACES);
    std::vector<PoolBlock> pool = std::vector<PoolBlock>(kPoolBlocks);

    // The stages of a diff over the first `rows` faces: each puts the copy's values that
    // differ from the table's into the step and takes the table's.
    void DiffLooks(const FaceTable& t, int rows, Step& step);  // texture, colour, quality
    void DiffShape(const FaceTable& t, int rows, Step& step);  // normals, corners, counts
    void DiffPool(const FaceTable& t, Step& step);
};

// One step: for each group of fields, the faces (or pool blocks) it changed and their
// values on the other side.
struct TableHistory::Step {
    std::uint64_t id = 0;
    int kind = -1;
    bool counts = false;  // faceCount, poolVertexCount
    int faceCount = 0;
    int poolVertexCount = 0;
    bool hasQuality = false;
    rm::Quality quality = rm::Quality::Gouraud;
    std::vector<int> posFaces;
    std::vector<Positions> pos;
    std::vector<int> normalFaces;
    std::vector<Positions> normals;
    std::vector<int> indexFaces;  // vertexCount and vertexIndex
    std::vector<int> cornerCounts;
    std::vector<Indices> indices;
    std::vector<int> texFaces;
    std::vector<Coords> texU;
    std::vector<Coords> texV;
    std::vector<int> lookFaces;  // colour and texture
    std::vector<FaceColor> colors;
    std::vector<rm::TexturePtr> textures;
    std::vector<int> poolBlocks;
    std::vector<PoolBlock> pool;
    std::vector<std::uint32_t> selectionBefore;
    std::vector<std::uint32_t> selectionAfter;

    bool Empty() const {
        return !counts && !hasQuality && posFaces.empty() && normalFaces.empty() &&
               indexFaces.empty() && texFaces.empty() && lookFaces.empty() && poolBlocks.empty();
    }
    std::size_t Bytes() const {
        return sizeof(Step) + BytesOf(posFaces) + BytesOf(pos) + BytesOf(normalFaces) +
               BytesOf(normals) + BytesOf(indexFaces) + BytesOf(cornerCounts) + BytesOf(indices) +
               BytesOf(texFaces) + BytesOf(texU) + BytesOf(texV) + BytesOf(lookFaces) +
               BytesOf(colors) + BytesOf(textures) + BytesOf(poolBlocks) + BytesOf(pool) +
               BytesOf(selectionBefore) + BytesOf(selectionAfter);
    }
};

TableHistory::TableHistory(std::size_t maxSteps, std::size_t maxBytes)
    : copy_(std::make_unique<Copy>()),
      maxSteps_(std::max<std::size_t>(maxSteps, 1)),
      maxBytes_(maxBytes) {}

TableHistory::~TableHistory() = default;

void TableHistory::SetLimits(std::size_t maxSteps, std::size_t maxBytes) {
    maxSteps_ = std::max<std::size_t>(maxSteps, 1);
    maxBytes_ = maxBytes;
    Trim();
}

void TableHistory::Reset(const FaceTable& t) {
    undo_.clear();
    redo_.clear();
    bytes_ = 0;
    baseId_ = nextId_++;
    Copy& c = *copy_;
    c.faceCount = t.faceCount;
    c.poolVertexCount = t.poolVertexCount;
    c.quality = t.meshQuality;
    for (int f = 0; f < MAX_FACES; ++f) {
        c.vertexCount[std::size_t(f)] = t.vertexCount[f];
        std::memcpy(c.position[std::size_t(f)].data(), t.position[f], sizeof(Positions));
        std::memcpy(c.normal[std::size_t(f)].data(), t.normal[f], sizeof(Positions));
        std::memcpy(c.vertexIndex[std::size_t(f)].data(), t.vertexIndex[f], sizeof(Indices));
        std::memcpy(c.texU[std::size_t(f)].data(), t.texU[f], sizeof(Coords));
        std::memcpy(c.texV[std::size_t(f)].data(), t.texV[f], sizeof(Coords));
        c.color[std::size_t(f)] = t.faceColor[f];
        c.texture[std::size_t(f)] = t.faceTexture[f];
    }
    std::memcpy(static_cast<void*>(c.pool.data()), t.vertexPool.get(),
                sizeof(rm::Vector) * MAX_POOL_VERTICES);
    beginSelection_ = SelectionRuns(t);
}

void TableHistory::Begin(const FaceTable& t) {
    beginSelection_ = SelectionRuns(t);
}

namespace {

// A row group that differs: the copy's values into the step, the table's into the copy.
template <class CopyRows, class TableRows, class Values>
void DiffRows(int rows, CopyRows& copyRows, const TableRows& tableRows, std::vector<int>& faces,
              Values& values) {
    for (int f = 0; f < rows; ++f) {
        auto& kept = copyRows[std::size_t(f)];
        if (std::memcmp(kept.data(), tableRows[f], sizeof kept) == 0) continue;
        faces.push_back(f);
        values.push_back(kept);
        std::memcpy(kept.data(), tableRows[f], sizeof kept);
    }
}

}  // namespace

void TableHistory::Copy::DiffLooks(const FaceTable& t, int rows, Step& step) {
    for (int f = 0; f < rows; ++f) {
        const std::size_t i = std::size_t(f);
        if (std::memcmp(texU[i].data(), t.texU[f], sizeof(Coords)) != 0 ||
            std::memcmp(texV[i].data(), t.texV[f], sizeof(Coords)) != 0) {
            step.texFaces.push_back(f);
            step.texU.push_back(texU[i]);
            step.texV.push_back(texV[i]);
            std::memcpy(texU[i].data(), t.texU[f], sizeof(Coords));
            std::memcpy(texV[i].data(), t.texV[f], sizeof(Coords));
        }
        if (!SameColor(color[i], t.faceColor[f]) || texture[i] != t.faceTexture[f]) {
            step.lookFaces.push_back(f);
            step.colors.push_back(color[i]);
            step.textures.push_back(texture[i]);
            color[i] = t.faceColor[f];
            texture[i] = t.faceTexture[f];
        }
    }
    if (quality != t.meshQuality) {
        step.hasQuality = true;
        step.quality = quality;
        quality = t.meshQuality;
    }
}

void TableHistory::Copy::DiffShape(const FaceTable& t, int rows, Step& step) {
    DiffRows(rows, normal, t.normal, step.normalFaces, step.normals);
    for (int f = 0; f < rows; ++f) {
        const std::size_t i = std::size_t(f);
        if (vertexCount[i] == t.vertexCount[f] &&
            std::memcmp(vertexIndex[i].data(), t.vertexIndex[f], sizeof(Indices)) == 0) {
            continue;
        }
        step.indexFaces.push_back(f);
        step.cornerCounts.push_back(vertexCount[i]);
        step.indices.push_back(vertexIndex[i]);
        vertexCount[i] = t.vertexCount[f];
        std::memcpy(vertexIndex[i].data(), t.vertexIndex[f], sizeof(Indices));
    }
    if (faceCount != t.faceCount || poolVertexCount != t.poolVertexCount) {
        step.counts = true;
        step.faceCount = faceCount;
        step.poolVertexCount = poolVertexCount;
        faceCount = t.faceCount;
        poolVertexCount = t.poolVertexCount;
    }
}

void TableHistory::Copy::DiffPool(const FaceTable& t, Step& step) {
    const rm::Vector* tablePool = t.vertexPool.get();
    for (int b = 0; b < kPoolBlocks; ++b) {
        const int first = b * kPoolBlock;
        const std::size_t n = std::size_t(std::min(kPoolBlock, MAX_POOL_VERTICES - first));
        PoolBlock& kept = pool[std::size_t(b)];
        if (std::memcmp(kept.data(), tablePool + first, n * sizeof(rm::Vector)) == 0) continue;
        step.poolBlocks.push_back(b);
        step.pool.push_back(kept);
        std::memcpy(kept.data(), tablePool + first, n * sizeof(rm::Vector));
    }
}

std::unique_ptr<TableHistory::Step> TableHistory::Diff(const FaceTable& t, EditScope scope) {
    auto step = std::make_unique<Step>();
    Copy& c = *copy_;
    const int rows = std::clamp(std::max(t.faceCount, c.faceCount), 0, MAX_FACES);
    if (scope != EditScope::Appearance) {
        DiffRows(rows, c.position, t.position, step->posFaces, step->pos);
    }
    if (scope != EditScope::Positions) c.DiffLooks(t, rows, *step);
    if (scope == EditScope::Everything) {
        c.DiffShape(t, rows, *step);
        c.DiffPool(t, *step);
    }
    return step;
}

void TableHistory::Swap(FaceTable& t, Step& s) {
    Copy& c = *copy_;
    const auto swapRows = [](auto& copyRows, auto& tableRows, const std::vector<int>& faces,
                             auto& values) {
        for (std::size_t i = 0; i < faces.size(); ++i) {
            const int f = faces[i];
            auto row = tableRows[f];
            std::swap_ranges(values[i].begin(), values[i].end(), std::begin(row));
            std::memcpy(copyRows[std::size_t(f)].data(), row, sizeof values[i]);
        }
    };
    swapRows(c.position, t.position, s.posFaces, s.pos);
    swapRows(c.normal, t.normal, s.normalFaces, s.normals);
    swapRows(c.vertexIndex, t.vertexIndex, s.indexFaces, s.indices);
    swapRows(c.texU, t.texU, s.texFaces, s.texU);
    swapRows(c.texV, t.texV, s.texFaces, s.texV);
    for (std::size_t i = 0; i < s.indexFaces.size(); ++i) {
        const int f = s.indexFaces[i];
        std::swap(t.vertexCount[f], s.cornerCounts[i]);
        c.vertexCount[std::size_t(f)] = t.vertexCount[f];
    }
    for (std::size_t i = 0; i < s.lookFaces.size(); ++i) {
        const int f = s.lookFaces[i];
        std::swap(t.faceColor[f], s.colors[i]);
        std::swap(t.faceTexture[f], s.textures[i]);
        c.color[std::size_t(f)] = t.faceColor[f];
        c.texture[std::size_t(f)] = t.faceTexture[f];
    }
    if (s.hasQuality) {
        std::swap(t.meshQuality, s.quality);
        c.quality = t.meshQuality;
    }
    if (s.counts) {
        std::swap(t.faceCount, s.faceCount);
        std::swap(t.poolVertexCount, s.poolVertexCount);
        c.faceCount = t.faceCount;
        c.poolVertexCount = t.poolVertexCount;
    }
    rm::Vector* pool = t.vertexPool.get();
    for (std::size_t i = 0; i < s.poolBlocks.size(); ++i) {
        const int first = s.poolBlocks[i] * kPoolBlock;
        const std::size_t n = std::size_t(std::min(kPoolBlock, MAX_POOL_VERTICES - first));
        std::swap_ranges(s.pool[i].begin(), s.pool[i].begin() + std::ptrdiff_t(n), pool + first);
        std::memcpy(c.pool[std::size_t(s.poolBlocks[i])].data(), pool + first,
                    n * sizeof(rm::Vector));
    }
}

bool TableHistory::Record(const FaceTable& t, EditScope scope, int kind) {
    std::unique_ptr<Step> step = Diff(t, scope);
    if (step->Empty()) return false;
    step->id = nextId_++;
    step->kind = kind;
    step->selectionBefore = std::move(beginSelection_);
    step->selectionAfter = SelectionRuns(t);
    beginSelection_ = step->selectionAfter;
    for (const auto& r : redo_) bytes_ -= r->Bytes();
    redo_.clear();
    bytes_ += step->Bytes();
    undo_.push_back(std::move(step));
    Trim();
    return true;
}

void TableHistory::Restore(FaceTable& t, EditScope scope) {
    std::unique_ptr<Step> step = Diff(t, scope);
    Swap(t, *step);
    SetSelection(t, beginSelection_);
}

void TableHistory::Trim() {
    while (undo_.size() > 1 && (undo_.size() > maxSteps_ || bytes_ > maxBytes_)) {
        bytes_ -= undo_.front()->Bytes();
        baseId_ = undo_.front()->id;  // the oldest state left is the one after it
        undo_.pop_front();
    }
}

int TableHistory::UndoKind() const {
    return undo_.empty() ? -1 : undo_.back()->kind;
}

int TableHistory::RedoKind() const {
    return redo_.empty() ? -1 : redo_.back()->kind;
}

bool TableHistory::Undo(FaceTable& t) {
    if (undo_.empty()) return false;
    std::unique_ptr<Step> step = std::move(undo_.back());
    undo_.pop_back();
    bytes_ -= step->Bytes();
    Swap(t, *step);
    SetSelection(t, step->selectionBefore);
    beginSelection_ = step->selectionBefore;
    bytes_ += step->Bytes();
    redo_.push_back(std::move(step));
    return true;
}

bool TableHistory::Redo(FaceTable& t) {
    if (redo_.empty()) return false;
    std::unique_ptr<Step> step = std::move(redo_.back());
    redo_.pop_back();
    bytes_ -= step->Bytes();
    Swap(t, *step);
    SetSelection(t, step->selectionAfter);
    beginSelection_ = step->selectionAfter;
    bytes_ += step->Bytes();
    undo_.push_back(std::move(step));
    return true;
}

std::uint64_t TableHistory::StateId() const {
    return undo_.empty() ? baseId_ : undo_.back()->id;
}

std::size_t TableHistory::LastStepBytes() const {
    return undo_.empty() ? 0 : undo_.back()->Bytes();
}

}  // namespace model
