#include "cli/input_files.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>
#include <tuple>

#include "files/file_system.h"

namespace fs = std::filesystem;

namespace {

// Paths go in and out as UTF-8, also on Windows, where a path's own form is UTF-16.
fs::path PathOf(const std::string& utf8) {
    return fs::u8path(utf8);
}

std::string Utf8Of(const fs::path& path) {
    const auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool HasIffExtension(const std::string& name) {
    static const char kExtension[] = ".iff";
    const size_t n = sizeof kExtension - 1;
    if (name.size() <= n) return false;
    for (size_t i = 0; i < n; ++i)
        if (Lower(name[name.size() - n + i]) != kExtension[i]) return false;
    return true;
}

InputFile Input(const std::string& path, const std::string& problem = std::string(),
                const std::string& detail = std::string(), bool failure = true) {
    InputFile input;
    input.path = path;
    input.problem = problem;
    input.detail = detail;
    input.failure = failure;
    return input;
}

class FolderWalk {
public:
    explicit FolderWalk(Inputs& inputs) : m_inputs(inputs) {}

    void Walk(const std::string& folder) {
        FileIdentity identity;
        BOOL regular = FALSE;
        const bool known = IdentifyFilePath(folder, &identity, &regular);
        if (known && !m_folders.insert(Key(identity)).second) {
            if (std::find(m_path.begin(), m_path.end(), Key(identity)) != m_path.end())
                m_inputs.files.push_back(
                    Input(folder, "Skipped: a link leads back to a folder above it", "", false));
            return;
        }
        if (known) m_path.push_back(Key(identity));
        WalkEntries(folder);
        if (known) m_path.pop_back();
    }

private:
    void WalkEntries(const std::string& folder) {
        struct Entry {
            std::string name, path;
            bool folder;
        };
        std::vector<Entry> entries;
        std::error_code ec;
        fs::directory_iterator it(PathOf(folder), ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            const std::string name = Utf8Of(it->path().filename());
            // The listing knows the type of all but links, so most entries cost no
            // look-up of their own.
            std::error_code typeError;
            entries.push_back({name, JoinFilePath(folder, name), it->is_directory(typeError)});
        }
        if (ec) {
            m_inputs.files.push_back(Input(folder, "Unable to read this folder!", ec.message()));
            return;
        }
        // The temporary files of an interrupted save end in .tmp: the name test leaves
        // them out.
        std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
            return std::tie(a.name, a.path) < std::tie(b.name, b.path);
        });
        for (const Entry& entry : entries) {
            if (entry.folder) {
                Walk(entry.path);
                continue;
            }
            if (!HasIffExtension(entry.name)) continue;
            InputFile input = Input(entry.path);
            FileIdentity identity;
            BOOL regular = FALSE;
            // A file gone since the listing is left for the command to report.
            if (IdentifyFilePath(entry.path, &identity, &regular)) {
                if (!regular || !m_files.insert(Key(identity)).second) continue;
                input.identityKnown = true;
                input.identity = identity;
            }
            m_inputs.files.push_back(std::move(input));
        }
    }

    using Identity = std::pair<unsigned long long, unsigned long long>;
    static Identity Key(const FileIdentity& i) { return {i.volume, i.index}; }

    Inputs& m_inputs;
    std::set<Identity> m_folders, m_files;
    std::vector<Identity> m_path;  // the folders being walked, outermost first
};

}  // namespace

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(PathOf(path), ec);
}

Inputs CollectInputs(const std::vector<std::string>& args) {
    Inputs inputs;
    FolderWalk walk(inputs);
    for (const std::string& arg : args) {
        if (IsFolder(arg)) {
            inputs.anyFolder = true;
            walk.Walk(arg);
        } else {
            inputs.files.push_back(Input(arg));
        }
    }
    return inputs;
}

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    size_t p = 0, n = 0, star = std::string::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

std::vector<std::string> ExpandWildcards(const std::vector<std::string>& args) {
    std::vector<std::string> out;
    for (const std::string& arg : args) {
        std::string folder, pattern;
        SplitFilePath(arg, &folder, &pattern);
        if (pattern.find_first_of("*?") == std::string::npos) {
            out.push_back(arg);
            continue;
        }
        // "*.iff" names files in the current folder as "a.iff", not ".\\a.iff".
        const bool bare = folder == "." && arg.find_first_of("/\\") == std::string::npos;
        std::vector<std::string> names;
        std::error_code ec;
        fs::directory_iterator it(PathOf(folder), ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            const std::string name = Utf8Of(it->path().filename());
            if (name[0] != '.' && WildcardMatch(pattern, name)) names.push_back(name);
        }
        if (names.empty()) {
            out.push_back(arg);
            continue;
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names)
            out.push_back(bare ? name : JoinFilePath(folder, name));
    }
    return out;
}
