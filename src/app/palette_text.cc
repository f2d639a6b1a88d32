#include "app/palette_text.h"

#include <cctype>

std::optional<WORD> ParsePaletteId(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::size_t firstDigit = i;
    unsigned value = 0;  // kept below 65536, so the digits never overflow it
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        value = (value * 10 + static_cast<unsigned>(text[i] - '0')) & 0xFFFF;
    if (i == firstDigit) return std::nullopt;
    return static_cast<WORD>(negative ? (0x10000 - value) & 0xFFFF : value);
}
