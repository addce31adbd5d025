// Undo and redo of the table: each step keeps what it changed, not the whole table. The
// history holds a copy of the table as the last step left it; after an edit it compares the
// table with that copy (only the fields the edit may have changed) and keeps the rows that
// differ. A step holds the values of the other side: before the change while it can be
// undone, after it once undone; undo and redo swap them with the table's.
//
// The selection is not a step of its own: a step keeps the selection at its start and at
// its end (as runs of selected corners) and undo and redo give those back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "model/face_table.h"

namespace model {

// What an edit may change, so that only that is compared.
enum class EditScope {
    Positions,   // corner positions (the transforms)
    Appearance,  // face colours, textures, texture coordinates and the render quality
    Everything,  // the faces themselves: counts, indices, normals, the vertex pool as well
};

class TableHistory {
  public:
    // At most `maxSteps` steps and about `maxBytes` bytes of steps; the oldest go first,
    // the newest is always kept.
    static constexpr std::size_t kDefaultMaxSteps = 1000;
    static constexpr std::size_t kDefaultMaxBytes = std::size_t{256} << 20;
    explicit TableHistory(std::size_t maxSteps = kDefaultMaxSteps,
                          std::size_t maxBytes = kDefaultMaxBytes);
    ~TableHistory();
    TableHistory(const TableHistory&) = delete;
    TableHistory& operator=(const TableHistory&) = delete;

    // New limits; steps beyond them go at once, the oldest first.
    void SetLimits(std::size_t maxSteps, std::size_t maxBytes);

    // The table as it is becomes the start: no step to undo or redo.
    void Reset(const FaceTable& table);
    // An edit starts: the selection now is the one its undo gives back.
    void Begin(const FaceTable& table);
    // An edit ended: records a step of kind `kind` when the table differs from the state
    // the last step left in what `scope` covers; false (and nothing kept) when it does not.
    // The steps that could be redone are dropped by a new one.
    bool Record(const FaceTable& table, EditScope scope, int kind);
    // A failed edit: what `scope` covers goes back to the state the last step left (the
    // selection to the one at Begin).
    void Restore(FaceTable& table, EditScope scope);

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // The kind of the step that Undo or Redo would take back or do again (-1 = none).
    int UndoKind() const;
    int RedoKind() const;
    // Take back or do again one step; false when there is none.
    bool Undo(FaceTable& table);
    bool Redo(FaceTable& table);

    // Names the table's present state: equal numbers, equal tables (the start of a Reset
    // gets a number of its own).
    std::uint64_t StateId() const;

    std::size_t UndoSteps() const { return undo_.size(); }
    std::size_t RedoSteps() const { return redo_.size(); }
    // Bytes held by the steps, and by the newest step that can be undone (0 when none).
    std::size_t StepBytes() const { return bytes_; }
    std::size_t LastStepBytes() const;

    struct Step;

  private:
    // The step from the kept copy to the table, the copy brought up to the table.
    std::unique_ptr<Step> Diff(const FaceTable& table, EditScope scope);
    // Exchanges the step's values with the table's; the copy follows the table.
    void Swap(FaceTable& table, Step& step);
    void Trim();

    struct Copy;
    std::unique_ptr<Copy> copy_;
    std::deque<std::unique_ptr<Step>> undo_;
    std::deque<std::unique_ptr<Step>> redo_;
    std::vector<std::uint32_t> beginSelection_;
    std::uint64_t nextId_ = 1;
    std::uint64_t baseId_ = 0;
    std::size_t bytes_ = 0;
    std::size_t maxSteps_;
    std::size_t maxBytes_;
};

}  // namespace model
