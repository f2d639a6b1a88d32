// Reading the numbers and colours given on the command line.
#pragma once

#include <optional>
#include <string>

#include "base/types.h"

// Plain decimal digits only, at most `max`: no sign, no spaces, no hex, not empty.
std::optional<unsigned long> ParseDecimal(const std::string& text, unsigned long max);

// RRGGBB in hex digits, either case.
std::optional<RGBQUAD> ParseRgbHex(const std::string& text);
