// The seam every safe save goes through, so tests can make any of its steps fail.
#pragma once

#include <memory>
#include <string>

#include "base/types.h"
#include "files/file.h"
#include "files/file_system.h"

// The file-system steps of a safe save (a new file beside the old one, then a rename). Tests
// install their own to make any of them fail (a folder that refuses new files, a disk that fills
// up, a rename that is refused).
class CSaveFileSystem {
public:
    virtual ~CSaveFileSystem();

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

// Installs fs for the saves that follow; NULL restores the real file system.
// Returns the one installed before.
CSaveFileSystem* SetSaveFileSystem(CSaveFileSystem* fs);
CSaveFileSystem& GetSaveFileSystem();
