#include "app/undo_history.h"

#include <cstring>

namespace {

std::vector<BYTE> BytesOf(const CIffChunk& chunk) {
    if (!chunk.m_pData) return {};
    const BYTE* data = chunk.m_pData.get();
    const DWORD size = chunk.m_dwSize < chunk.m_dwCapacity ? chunk.m_dwSize : chunk.m_dwCapacity;
    return std::vector<BYTE>(data, data + size);
}

bool PutBytes(CIffFile& iff, DWORD type, WORD id, const std::vector<BYTE>& bytes) {
    CIffChunk* chunk = nullptr;
    if (!iff.FindChunk(&chunk, type, id) || !chunk) return false;
    if (!chunk->SetSize(static_cast<DWORD>(bytes.size()))) return false;
    if (!bytes.empty()) std::memcpy(chunk->m_pData.get(), bytes.data(), bytes.size());
    chunk->m_dwPos = 0;
    return true;
}

bool Unchanged(const UndoStep& step) {
    for (const ChunkChange& c : step.changes)
        if (c.before != c.after) return false;
    return true;
}

}  // namespace

CUndoHistory::Snapshot::Snapshot(CIffFile& iff, const std::vector<CIffChunk*>& chunks) {
    for (CIffChunk* chunk : chunks) {
        if (!chunk || !iff.LoadChunkData(chunk)) continue;  // the step cannot change it either
        m_chunks.push_back({chunk->m_dwType, chunk->m_wID, BytesOf(*chunk), {}});
    }
}

void CUndoHistory::Commit(CIffFile& iff, Snapshot snapshot, UndoStep step) {
    for (ChunkChange& c : snapshot.m_chunks) {
        CIffChunk* chunk = nullptr;
        if (!iff.FindChunk(&chunk, c.type, c.id) || !chunk) continue;
        c.after = BytesOf(*chunk);
        if (c.after != c.before) step.changes.push_back(std::move(c));
    }
    if (step.changes.empty()) return;

    const UndoStep* last = m_next > 0 ? &m_steps[m_next - 1] : nullptr;
    const bool merge = m_mergeOpen && step.mergeKey != 0 && m_next == m_steps.size() && last &&
                       m_saved != m_next && last->mergeKey == step.mergeKey &&
                       last->hasSprite == step.hasSprite && last->spriteId == step.spriteId &&
                       last->frame == step.frame;
    if (merge) {
        UndoStep& top = m_steps[m_next - 1];
        for (ChunkChange& c : step.changes) {
            bool found = false;
            for (ChunkChange& t : top.changes)
                if (t.type == c.type && t.id == c.id) {
                    t.after = std::move(c.after);
                    found = true;
                }
            if (!found) top.changes.push_back(std::move(c));
        }
        // Typed back to where it began: no step is left.
        if (Unchanged(top)) {
            m_steps.pop_back();
            --m_next;
            m_mergeOpen = false;
        }
        return;
    }

    m_steps.resize(m_next);
    if (m_saved > m_next && m_saved != kUnreachable) m_saved = kUnreachable;
    m_steps.push_back(std::move(step));
    m_next = m_steps.size();
    m_mergeOpen = true;
}

const UndoStep* CUndoHistory::Undo(CIffFile& iff) {
    if (!CanUndo()) return nullptr;
    const UndoStep& step = m_steps[m_next - 1];
    for (const ChunkChange& c : step.changes)
        if (!PutBytes(iff, c.type, c.id, c.before)) return nullptr;
    --m_next;
    m_mergeOpen = false;
    return &step;
}

const UndoStep* CUndoHistory::Redo(CIffFile& iff) {
    if (!CanRedo()) return nullptr;
    const UndoStep& step = m_steps[m_next];
    for (const ChunkChange& c : step.changes)
        if (!PutBytes(iff, c.type, c.id, c.after)) return nullptr;
    ++m_next;
    m_mergeOpen = false;
    return &step;
}

void CUndoHistory::Clear() {
    m_steps.clear();
    m_next = 0;
    m_saved = 0;
    m_mergeOpen = false;
}

void CUndoHistory::MarkSaved() {
    m_saved = m_next;
    m_mergeOpen = false;
}
