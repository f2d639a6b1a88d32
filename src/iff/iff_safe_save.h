// Saving a container: to a file the caller names, or over its own file so that the file
// always holds either its old bytes or the complete new file: the new bytes go to a
// temporary file in the same folder, are flushed to the disk, and replace the original in
// one rename.
#pragma once

#include <memory>
#include <string>

#include "base/types.h"
#include "files/file.h"
#include "files/save_file_system.h"

// The save of container h into its own file. Never throws; on FALSE the file and the
// container are as they were. On TRUE the container's file object is the new file, with
// the exclusive hold.
BOOL IffSaveInPlace(DWORD h);
