// The steps the user can take back: for each, the bytes of every chunk it rewrote, as
// they were before and after. Nothing else of the file is kept.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/types.h"
#include "iff/iff_file.h"

struct ChunkChange {
    DWORD type = 0;
    WORD id = 0;
    std::vector<BYTE> before;
    std::vector<BYTE> after;
};

struct UndoStep {
    std::string name;  // "Quick Patch"
    // Where the user stood when taking it; undo and redo show that sprite and frame again.
    WORD spriteId = 0;
    bool hasSprite = false;
    int frame = 0;
    // Nonzero: a keystroke with the same key, sprite and frame joins this step.
    int mergeKey = 0;
    std::vector<ChunkChange> changes;
};

class CUndoHistory {
public:
    // The chunks' bytes before a step; their data is loaded for it.
    class Snapshot {
    public:
        Snapshot() = default;
        Snapshot(CIffFile& iff, const std::vector<CIffChunk*>& chunks);

    private:
        friend class CUndoHistory;
        std::vector<ChunkChange> m_chunks;
    };

    // Records what changed since the snapshot as a step; nothing changed, no step. A step
    // with the mergeKey, sprite and frame of the step just recorded joins it instead,
    // unless undo, redo or a save came between.
    void Commit(CIffFile& iff, Snapshot snapshot, UndoStep step);

    bool CanUndo() const { return m_next > 0; }
    bool CanRedo() const { return m_next < m_steps.size(); }
    const UndoStep* NextUndo() const { return CanUndo() ? &m_steps[m_next - 1] : nullptr; }
    const UndoStep* NextRedo() const { return CanRedo() ? &m_steps[m_next] : nullptr; }

    // Puts back the bytes of every chunk the step changed; the step, or NULL when there
    // is none or a chunk is gone.
    const UndoStep* Undo(CIffFile& iff);
    const UndoStep* Redo(CIffFile& iff);

    // A file opened: no steps, and this state is the one on disk.
    void Clear();
    void MarkSaved();
    bool IsSaved() const { return m_saved == m_next; }

private:
    static constexpr std::size_t kUnreachable = static_cast<std::size_t>(-1);

    std::vector<UndoStep> m_steps;
    std::size_t m_next = 0;   // steps below this are done
    std::size_t m_saved = 0;  // the position whose state is on disk
    bool m_mergeOpen = false;
};
