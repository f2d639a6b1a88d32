// Writing a file so that its path never holds a half-written file: the bytes go to a
// temporary file beside it, which is flushed and then renamed over the path.
#pragma once

#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/types.h"

class CReplacementFile {
public:
    explicit CReplacementFile(std::string target);
    ~CReplacementFile();  // removes the temporary file unless committed

    CReplacementFile(const CReplacementFile&) = delete;
    CReplacementFile& operator=(const CReplacementFile&) = delete;

    // Creates the temporary file and opens it for reading and writing.
    bool Create(std::string* pError);
    CFile& File() { return m_file; }

    // Flushes the temporary file to disk, gives it the target's permissions (or the
    // usual ones for a new file) and renames it over the target.
    bool Commit(std::string* pError);

private:
    std::string m_strTarget;
    std::string m_strTemp;
    CFile m_file;
    bool m_bCommitted = false;
};

// Replaces the file at `path` by `bytes` the same way.
bool WriteFileReplacing(const std::string& path, const std::vector<BYTE>& bytes,
                        std::string* pError);

// Whether both paths name one existing file (links included).
bool IsSameFile(const std::string& a, const std::string& b);
