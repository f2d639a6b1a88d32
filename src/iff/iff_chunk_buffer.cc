#include "iff/iff_chunk_buffer.h"

#include <cstdlib>
#include <new>

static_assert(sizeof(IffSharedBlock) == 16, "the data follows the block's 16-byte header");

IffSharedBlock* IffSharedBlock::Create(size_t bytes, bool zeroed) {
    if (bytes > static_cast<size_t>(-1) - sizeof(IffSharedBlock)) return nullptr;
    const size_t total = sizeof(IffSharedBlock) + bytes;
    // calloc hands out fresh pages without touching them: slices never used cost nothing.
    void* p = zeroed ? std::calloc(1, total) : std::malloc(total);
    return p ? new (p) IffSharedBlock : nullptr;
}

void IffSharedBlock::Release() {
    if (--m_refs != 0) return;
    this->~IffSharedBlock();
    std::free(this);
}
