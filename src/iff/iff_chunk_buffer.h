// A chunk's data buffer. It is either an allocation of its own or a slice of a block that
// many chunks share: a file of many small chunks is read into one block per batched read
// instead of one allocation per chunk, and the chunks that are made but not yet loaded
// take their 64 empty bytes from one zeroed block. Every slice is its buffer's full
// capacity and belongs to one chunk alone, so writes within it stay in place; a block goes
// when its last slice does. Blocks are counted without locks: their slices stay with the
// chunks of one container, which one thread uses at a time.
#pragma once

#include <cstddef>

#include "base/types.h"

// Tells the system that every page of the range is about to be written in full, so that
// it maps them in one call instead of taking a fault on each; a hint only (Linux, where
// faults on fresh memory cost more than filling it; nothing elsewhere).
void IffPrepareForWriting(void* p, size_t bytes);

// Aligned so that the data after it is aligned as new BYTE[] would be.
class alignas(16) IffSharedBlock {
public:
    // A block of `bytes` bytes, zeroed when asked; NULL when memory runs out. Its first
    // holder is the caller, who lets go with Release.
    static IffSharedBlock* Create(size_t bytes, bool zeroed);

    BYTE* Data() { return reinterpret_cast<BYTE*>(this + 1); }
    void AddRef() { ++m_refs; }
    void Release();

private:
    IffSharedBlock() = default;
    size_t m_refs = 1;
};

// Used as a std::unique_ptr<BYTE[]> would be: get(), [], a test for NULL and reset().
class CIffChunkBuffer {
public:
    CIffChunkBuffer() = default;
    explicit CIffChunkBuffer(BYTE* owned) : m_p(owned) {}  // from new BYTE[]
    // A slice of the block; the buffer takes a share of it.
    CIffChunkBuffer(IffSharedBlock* block, BYTE* p) : m_p(p), m_block(block) { block->AddRef(); }
    ~CIffChunkBuffer() { reset(); }

    CIffChunkBuffer(CIffChunkBuffer&& other) noexcept : m_p(other.m_p), m_block(other.m_block) {
        other.m_p = nullptr;
        other.m_block = nullptr;
    }
    CIffChunkBuffer& operator=(CIffChunkBuffer&& other) noexcept {
        if (this != &other) {
            reset();
            m_p = other.m_p;
            m_block = other.m_block;
            other.m_p = nullptr;
            other.m_block = nullptr;
        }
        return *this;
    }
    CIffChunkBuffer(const CIffChunkBuffer&) = delete;
    CIffChunkBuffer& operator=(const CIffChunkBuffer&) = delete;

    BYTE* get() const { return m_p; }
    BYTE& operator[](size_t i) const { return m_p[i]; }
    explicit operator bool() const { return m_p != nullptr; }

    // Lets go of the buffer, then holds `owned` (from new BYTE[]) if given.
    void reset(BYTE* owned = nullptr) {
        if (m_block)
            m_block->Release();
        else
            delete[] m_p;
        m_p = owned;
        m_block = nullptr;
    }

private:
    BYTE* m_p = nullptr;
    IffSharedBlock* m_block = nullptr;  // NULL when the buffer is its own allocation
};
