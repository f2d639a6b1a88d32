#include "cli/png_file.h"

#include <climits>
#include <cstdlib>
#include <new>

namespace {

// The encoder writes on after an allocation that failed (its checks are asserts); an
// exception stops it instead. What it had allocated by then is lost, once.
void* Reallocate(void* p, size_t size) {
    void* q = std::realloc(p, size);
    if (q == nullptr) throw std::bad_alloc();
    return q;
}

}  // namespace

// The encoder's code lives in this file alone. Static, so its settings are this file's own
// and keep their defaults: compression level 8, the filter chosen row by row from the
// row's bytes. Both depend only on the pixels, which is what makes the bytes the same
// everywhere. No stdio: the caller writes the file, safely.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#define STBIW_MALLOC(size) Reallocate(nullptr, size)
#define STBIW_REALLOC(p, size) Reallocate(p, size)
#define STBIW_FREE(p) std::free(p)
#include <stb/stb_image_write.h>

std::vector<BYTE> EncodePng(const PixelRows& rows) {
    const int n = rows.channels;
    if (rows.width <= 0 || rows.height <= 0 || (n != 1 && n != 3 && n != 4)) return {};
    // The encoder counts in int, and its buffers grow to twice what they hold.
    const long long rowBytes = static_cast<long long>(rows.width) * n;
    if ((rowBytes + 1) * rows.height > INT_MAX / 4 ||
        rows.bytes.size() != static_cast<size_t>(rowBytes * rows.height))
        return {};
    try {
        int length = 0;
        unsigned char* png = stbi_write_png_to_mem(rows.bytes.data(), static_cast<int>(rowBytes),
                                                   rows.width, rows.height, n, &length);
        if (png == nullptr) return {};
        std::vector<BYTE> out(png, png + length);
        STBIW_FREE(png);
        return out;
    } catch (const std::bad_alloc&) {
        return {};
    }
}
