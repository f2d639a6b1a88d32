// One IFF file as the tool works on it: opened, searched and saved through the steps the
// desktop program takes, each failure reported; closed when the session ends.
#pragma once

#include <optional>
#include <string>

#include "document/iff_document.h"
#include "iff/iff_file.h"
#include "sprites/spr2.h"

class IffSession {
public:
    explicit IffSession(std::string path);  // the path as the user gave it
    ~IffSession();                          // closes the container and releases the file

    IffSession(const IffSession&) = delete;
    IffSession& operator=(const IffSession&) = delete;

    // Opens the file for reading and writing (or only reading), shared with nobody, and
    // loads its chunk headers. A failure is reported and gives false.
    bool Open(OpenFor purpose = OpenFor::editing);

    // Loads every chunk's data and writes the container: in place, or to `output` while
    // the opened file stays as it is. A failure is reported and gives false.
    bool Save(const std::optional<std::string>& output);

    // Save with the choices of a batch: with leaveUnchanged, a file saved in place is left
    // alone (time stamps too) when the save would write the very bytes it holds; with
    // dryRun nothing is written at all. Every chunk's data is loaded either way. A failure
    // is reported. A caller that changed a chunk's bytes says so with `changed`: the file
    // then cannot match, and is not read again to find that out.
    enum class SaveResult { saved, unchanged, wouldSave, failed };
    SaveResult Save(const std::optional<std::string>& output, bool dryRun, bool leaveUnchanged,
                    bool changed = false);

    // Finds the sprite with this ID and binds `sprite` to it, as selecting it in the
    // dialog does. A sprite that is missing or does not decode is reported; false then.
    bool AttachSprite(WORD id, CSpr2& sprite);

    CIffFile& Iff() { return m_iff; }
    const std::string& Path() const { return m_path; }
    // The last failure reported, as printed after the path; empty when none was.
    const std::string& LastFailure() const { return m_lastFailure; }

private:
    void Report(const std::string& message, const std::string& detail);
    void Report(const StepFailure& failure);

    std::string m_path;
    CIffFile m_iff;
    std::string m_lastFailure;
};
