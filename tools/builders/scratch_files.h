// Files on disk for tests: fresh paths in a private folder, whole files written and read.
#pragma once

#include <string>
#include <vector>

#include "base/types.h"

namespace builders {

using Bytes = std::vector<BYTE>;

// A fresh path in a private temporary directory; the directory is removed at exit.
std::string TempPath(const std::string& name);
// A new, empty folder named prefix-<random> in base.
std::string MakeScratchFolder(const std::string& base, const std::string& prefix);
void WriteFileBytes(const std::string& path, const Bytes& bytes);
Bytes ReadFileBytes(const std::string& path);

}  // namespace builders
