// Reading a palette ID that the user typed into a palette combo.
#pragma once

#include <optional>
#include <string>

#include "base/types.h"

// The leading decimal number of text (white space skipped, an optional sign, then digits
// up to the first other character) reduced modulo 65536: "-1" gives 65535, "65536" 0,
// "409 (x)" 409. Any number of digits is read exactly. Nothing when no digit follows.
std::optional<WORD> ParsePaletteId(const std::string& text);
