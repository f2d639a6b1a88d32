#include "cli/numbers.h"

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<unsigned long> ParseDecimal(const std::string& text, unsigned long max) {
    if (text.empty()) return std::nullopt;
    unsigned long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const unsigned long digit = static_cast<unsigned long>(c - '0');
        if (value > (max - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<RGBQUAD> ParseRgbHex(const std::string& text) {
    if (text.size() != 6) return std::nullopt;
    BYTE bytes[3];
    for (int i = 0; i < 3; ++i) {
        const int hi = HexDigit(text[2 * i]);
        const int lo = HexDigit(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes[i] = static_cast<BYTE>(hi * 16 + lo);
    }
    return RGBQUAD{bytes[2], bytes[1], bytes[0], 0};
}
