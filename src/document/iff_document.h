// The steps both programs take with an IFF file: open it, bind a sprite to one of its
// chunks, save it. A step that fails says so in the words the user is shown: the dialog
// puts the message in its box, the command-line tool prints it after the file's name,
// followed by why.
#pragma once

#include <string>

#include "base/types.h"
#include "files/file.h"
#include "iff/iff_file.h"
#include "sprites/spr2.h"

struct StepFailure {
    const char* message = "";
    int osError = 0;     // errno-style, when a file operation was refused
    std::string detail;  // why, when it is not an OS error
};

// Opens the file at `path` shared with nobody, for reading and writing (or, to look at it
// only, for reading), and loads its chunk headers into `iff` (reset first). The container
// keeps its own handle of the file. A file error while the header is read passes to the
// caller, as CIffFile::Load lets it: LoadFailure turns it into this step's failure for a
// caller that reports it itself.
enum class OpenFor { editing, reading };
bool OpenDocument(CIffFile& iff, const std::string& path, StepFailure* failure,
                  OpenFor purpose = OpenFor::editing);
StepFailure LoadFailure(const CFileException& error);

// Finds the sprite with this ID and binds `sprite` to it, which loads and decodes it. A
// sprite the file does not hold fails with this message; one that does not decode, with
// another.
inline constexpr char kNoSuchItem[] = "Can't find this item!";
bool AttachSprite(CIffFile& iff, WORD id, CSpr2& sprite, StepFailure* failure);

// Where a save goes when it is not the container's own file.
class SaveTarget {
public:
    virtual ~SaveTarget() = default;
    // The file to write the container into; NULL, with why in *detail, when refused.
    virtual CFile* Begin(std::string* detail) = 0;
    // Called once the container is written in full.
    virtual bool Finish(std::string* detail) = 0;
};

// Loads every chunk's data (the save rewrites the file it reads from), then writes the
// container: safely over its own file when `target` is NULL, into the target otherwise.
bool SaveDocument(CIffFile& iff, SaveTarget* target, StepFailure* failure);
// The two halves of SaveDocument, for a caller that looks at the loaded container before
// it decides to write it.
bool LoadDocumentForSave(CIffFile& iff, StepFailure* failure);
bool WriteDocument(CIffFile& iff, SaveTarget* target, StepFailure* failure);
