// libFuzzer's entry point for one harness, chosen when the executable is built.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return palvane_fuzz::PALVANE_FUZZ_TARGET(data, size);
}
