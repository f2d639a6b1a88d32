#include "cli/picture_file.h"

#include <cstring>
#include <vector>

#include "cli/bmp_file.h"
#include "cli/png_file.h"
#include "cli/replacement_file.h"
#include "cli/report.h"
#include "sprites/spr2.h"

namespace {

constexpr char kWriteFailed[] = "Unable to write this bitmap!";

const GdiBitmap* DibOf(const CBitmap* pBitmap) {
    const HBITMAP h = pBitmap ? AsBitmap(pBitmap->GetSafeHandle()) : nullptr;
    return h && h->bits && (h->bitCount == 8 || h->bitCount == 24) ? h : nullptr;
}

// A copy of `bitmap` with every pixel repeated scale times across and down. An enlarged
// bitmap keeps to the bound of a frame's bitmap, so a picture never costs more memory
// than the largest frame can.
bool Enlarge(const CBitmap& bitmap, int scale, CBitmap* pOut, std::string* pWhy) {
    const GdiBitmap* src = DibOf(&bitmap);
    if (src == nullptr) return false;
    const int bytes = src->bitCount / 8;
    const ULONGLONG width = static_cast<ULONGLONG>(src->width) * scale;
    const ULONGLONG height = static_cast<ULONGLONG>(src->height) * scale;
    if (((width * bytes + 3) & ~3ull) * height > SPR2_MAX_COLOR_BITMAP_BYTES) {
        *pWhy = std::to_string(width) + " x " + std::to_string(height) +
                " pixels would take more than 256 MiB";
        return false;
    }
    const BITMAPINFOHEADER header =
        MakeBitmapInfoHeader(static_cast<LONG>(width), static_cast<LONG>(height), src->bitCount);
    void* pBits = nullptr;
    if (!pOut->Attach(CreateDIBSection(nullptr, &header,
                                       src->colors.empty() ? nullptr : src->colors.data(),
                                       DIB_RGB_COLORS, &pBits, nullptr, 0))) {
        *pWhy = "out of memory";
        return false;
    }
    const GdiBitmap& dst = *AsBitmap(pOut->GetSafeHandle());
    for (LONG y = 0; y < src->height; ++y) {
        const BYTE* in = src->bits + static_cast<size_t>(y) * src->stride;
        BYTE* first = dst.bits + static_cast<size_t>(y) * scale * dst.stride;
        BYTE* out = first;
        for (LONG x = 0; x < src->width; ++x, in += bytes)
            for (int k = 0; k < scale; ++k, out += bytes) std::memcpy(out, in, bytes);
        for (int k = 1; k < scale; ++k)
            std::memcpy(first + static_cast<size_t>(k) * dst.stride, first, dst.stride);
    }
    return true;
}

// Top-down rows for the PNG encoder: blue-green-red becomes red-green-blue, followed by
// the alpha plane's byte when there is one; the bytes of an 8-bit plane are its greys.
PixelRows RowsOf(const GdiBitmap& plane, const GdiBitmap* pAlpha) {
    PixelRows rows;
    rows.width = plane.width;
    rows.height = plane.height;
    rows.channels = plane.bitCount == 8 ? 1 : pAlpha ? 4 : 3;
    const size_t rowBytes = static_cast<size_t>(rows.width) * rows.channels;
    rows.bytes.resize(rowBytes * rows.height);
    for (LONG y = 0; y < plane.height; ++y) {
        const LONG bottomUp = plane.height - 1 - y;
        const BYTE* in = plane.bits + static_cast<size_t>(bottomUp) * plane.stride;
        BYTE* out = rows.bytes.data() + y * rowBytes;
        if (rows.channels == 1) {
            std::memcpy(out, in, rowBytes);
            continue;
        }
        const BYTE* a =
            pAlpha ? pAlpha->bits + static_cast<size_t>(bottomUp) * pAlpha->stride : nullptr;
        for (LONG x = 0; x < plane.width; ++x, in += 3) {
            *out++ = in[2];
            *out++ = in[1];
            *out++ = in[0];
            if (a) *out++ = a[x];
        }
    }
    return rows;
}

std::vector<BYTE> EncodePngOf(const CBitmap& plane, const CBitmap* pAlpha) {
    const GdiBitmap* p = DibOf(&plane);
    const GdiBitmap* a = DibOf(pAlpha);
    if (p == nullptr || (pAlpha && (a == nullptr || p->bitCount != 24 || a->bitCount != 8 ||
                                    a->width != p->width || a->height != p->height)))
        return {};
    return EncodePng(RowsOf(*p, a));
}

}  // namespace

bool IsPngName(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ext = path.substr(path.size() - 4);
    for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return ext == ".png";
}

std::vector<BYTE> EncodePicture(const std::string& path, const CBitmap& plane, int scale,
                                const CBitmap* pAlpha, std::string* pWhy) {
    CBitmap bigPlane, bigAlpha;
    const CBitmap* p = &plane;
    const CBitmap* a = pAlpha;
    if (scale > 1) {
        if (!Enlarge(plane, scale, &bigPlane, pWhy) ||
            (pAlpha && !Enlarge(*pAlpha, scale, &bigAlpha, pWhy)))
            return {};
        p = &bigPlane;
        a = pAlpha ? &bigAlpha : nullptr;
    }
    return IsPngName(path) ? EncodePngOf(*p, a) : EncodeBmp(*p);
}

bool WritePicture(const std::string& path, const CBitmap& plane, int scale, const CBitmap* pAlpha) {
    std::string detail;
    const std::vector<BYTE> bytes = EncodePicture(path, plane, scale, pAlpha, &detail);
    if (!bytes.empty() && WriteFileReplacing(path, bytes, &detail)) return true;
    ReportMessage(path, kWriteFailed, detail);
    return false;
}
