// One IFF file as the tool works on it: opened, searched and saved through the steps the
// desktop program takes, each failure reported; closed when the session ends.
#pragma once

#include <optional>
#include <string>

#include "iff/iff_file.h"
#include "sprites/spr2.h"

class IffSession {
public:
    explicit IffSession(std::string path);  // the path as the user gave it
    ~IffSession();                          // closes the container and releases the file

    IffSession(const IffSession&) = delete;
    IffSession& operator=(const IffSession&) = delete;

    // Opens the file for reading and writing, shared with nobody, and loads its chunk
    // headers. A failure is reported and gives false.
    bool Open();

    // Loads every chunk's data and writes the container: in place, or to `output` while
    // the opened file stays as it is. A failure is reported and gives false.
    bool Save(const std::optional<std::string>& output);

    // Finds the sprite with this ID and binds `sprite` to it, as selecting it in the
    // dialog does. A sprite that is missing or does not decode is reported; false then.
    bool AttachSprite(WORD id, CSpr2& sprite);

    CIffFile& Iff() { return m_iff; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    CIffFile m_iff;
};
