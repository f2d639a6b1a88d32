// Writing a file so that its path never holds a half-written file: the bytes go to a
// temporary file beside it, which is flushed and then renamed over the path. The steps
// are the container's in-place save steps, so both kinds of save behave alike.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/types.h"
#include "files/file.h"

class ReplacementFile {
public:
    explicit ReplacementFile(std::string target);
    ~ReplacementFile();  // removes the temporary file unless committed

    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates the temporary file, with the target's permissions (or the usual ones for a
    // new file), open for reading and writing. A target that another program holds open
    // exclusively (the desktop program, say) is refused, as opening it would be.
    bool Create(std::string* error);
    CFile& File() { return *m_file; }

    // Flushes the temporary file to disk and renames it over the target.
    bool Commit(std::string* error);

private:
    std::string m_target;
    std::string m_temp;
    std::unique_ptr<CFile> m_file;
    CFile m_targetHold;  // keeps others off the target until it is replaced
    bool m_committed = false;
};

// Replaces the file at `path` by `bytes` the same way.
bool WriteFileReplacing(const std::string& path, const std::vector<BYTE>& bytes,
                        std::string* error);

// Whether both paths name one existing file (links included).
bool IsSameFile(const std::string& a, const std::string& b);
