// Saving a container over its own file so that the file always holds either its old bytes
// or the complete new file: the new bytes go to a temporary file in the same folder, are
// flushed to the disk, and replace the original in one rename.
#pragma once

#include <memory>
#include <string>

#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/types.h"

// The file-system steps of an in-place save. Tests install their own to make any of them
// fail (a folder that refuses new files, a disk that fills up, a rename that is refused).
class CIffSaveFileSystem {
public:
    virtual ~CIffSaveFileSystem();

    // A new file at path, refusing one that already exists, locked exclusively, with the
    // given attributes. Throws CFileException (or returns NULL) when refused.
    virtual std::unique_ptr<CFile> CreateTemporary(const std::string& path,
                                                   const FileAttributes& attributes);
    // Renames from over to in one step. FALSE, with an errno value in *pError, when
    // refused.
    virtual BOOL Replace(const std::string& from, const std::string& to, int* pError);
    // Best effort; never throws.
    virtual void Remove(const std::string& path);
    // Makes a rename in the folder durable. Best effort; never throws.
    virtual void SyncFolder(const std::string& folder);
};

// Installs fs for the in-place saves that follow; NULL restores the real file system.
// Returns the one installed before.
CIffSaveFileSystem* SetIffSaveFileSystem(CIffSaveFileSystem* fs);
CIffSaveFileSystem& GetIffSaveFileSystem();

// The save of container h into its own file. Never throws; on FALSE the file and the
// container are as they were. On TRUE the container's file object is the new file, with
// the exclusive hold.
BOOL IffSaveInPlace(DWORD h);
