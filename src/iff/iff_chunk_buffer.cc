#include "iff/iff_chunk_buffer.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

static_assert(sizeof(IffSharedBlock) == 16, "the data follows the block's 16-byte header");

void IffPrepareForWriting(void* p, size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    // Whole pages only: the rest may belong to other allocations.
    constexpr std::uintptr_t kPage = 4096;
    const std::uintptr_t start = (reinterpret_cast<std::uintptr_t>(p) + kPage - 1) & ~(kPage - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(p) + bytes) & ~(kPage - 1);
    if (end > start) ::madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#else
    (void)p;
    (void)bytes;
#endif
}

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
