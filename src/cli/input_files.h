// The files a command works on, from the paths the user gave: a folder stands for every
// .iff file below it.
#pragma once

#include <string>
#include <vector>

#include "files/file_system.h"

struct InputFile {
    std::string path;
    // Set when the walk could not go on here: the message to report about `path`, which
    // is then no file to work on. A folder that cannot be read is a failure; a link that
    // leads back into the walk only worth a word.
    std::string problem, detail;
    bool failure = true;
    // Which file the path named when the walk met it, so that nobody asks again; not
    // known for a path given as it is.
    bool identityKnown = false;
    FileIdentity identity;
};

struct Inputs {
    std::vector<InputFile> files;
    bool anyFolder = false;  // some argument was a folder
};

// Every argument in order. A folder is walked recursively, entries sorted by name, links
// followed; it yields its files whose names end in ".iff" in any case. A folder met a
// second time is walked only once (a link back to a folder being walked is reported), and
// a file met twice through links is taken once. Entries that are neither files nor folders are
// passed over. Arguments that are not folders are taken as they are, even when missing.
Inputs CollectInputs(const std::vector<std::string>& args);

// Arguments with * or ? in their last part replaced by the matching names in that folder,
// sorted, leaving out names that begin with a dot; an argument that matches nothing stays
// as it is. What a Windows program does for itself, as no shell does it there.
std::vector<std::string> ExpandWildcards(const std::vector<std::string>& args);

// Whether the path names a folder (links followed).
bool IsFolder(const std::string& path);

// Whether `name` matches `pattern` of * and ?, ignoring ASCII case.
bool WildcardMatch(const std::string& pattern, const std::string& name);
