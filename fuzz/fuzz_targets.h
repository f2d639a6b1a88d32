// One entry per fuzzed area. Each takes an input as libFuzzer hands it over, drives the
// program with it and aborts when the program misbehaves in a way the sanitizers cannot
// see (a failure reported as success, data that changes on a round trip).
#pragma once

#include <cstddef>
#include <cstdint>

namespace palvane_fuzz {

// The bytes as a file: load, load all data, save to memory, load the saved bytes again.
int ContainerOneInput(const uint8_t* data, size_t size);
// A sprite and palettes (layout in sprite.cc): decode, encode, decode again, draw.
int SpriteOneInput(const uint8_t* data, size_t size);
// The bytes as the file a user opens in the dialog, then every sprite and frame shown,
// a Quick Patch and a Save.
int DialogOneInput(const uint8_t* data, size_t size);
// The bytes as the file given to `palvane2-cli info`.
int CliInfoOneInput(const uint8_t* data, size_t size);
// The bytes as the file given to `palvane2-cli check`, in lines and in JSON, and to `info`.
int CliCheckOneInput(const uint8_t* data, size_t size);

}  // namespace palvane_fuzz
