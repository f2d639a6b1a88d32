#include "fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "platform/file.h"

namespace palvane_fuzz {

namespace {

std::string MakeFolder() {
    std::error_code ec;
    std::string base = "/dev/shm";
    if (!std::filesystem::is_directory(base, ec) || ::access(base.c_str(), W_OK) != 0) {
        const char* tmp = std::getenv("TMPDIR");
        base = tmp && *tmp ? tmp : "/tmp";
    }
    std::string pattern = base + "/palvane-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("no scratch folder in " + base);
    return pattern;
}

}  // namespace

void CheckFailed(const char* file, int line, const char* what) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

ScratchFile::ScratchFile(const std::string& tag)
    : m_folder(MakeFolder()), m_path(m_folder + "/" + tag + ".iff") {}

ScratchFile::~ScratchFile() {
    std::error_code ec;
    std::filesystem::remove_all(m_folder, ec);
}

void ScratchFile::Write(const uint8_t* data, size_t size) const {
    const int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    FUZZ_CHECK(fd >= 0);
    for (size_t done = 0; done < size;) {
        const ssize_t n = ::write(fd, data + done, size - done);
        FUZZ_CHECK(n > 0);
        done += static_cast<size_t>(n);
    }
    ::close(fd);
}

std::vector<uint8_t> ScratchFile::Read() const {
    std::vector<uint8_t> bytes;
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    FUZZ_CHECK(fd >= 0);
    uint8_t block[65536];
    for (;;) {
        const ssize_t n = ::read(fd, block, sizeof block);
        FUZZ_CHECK(n >= 0);
        if (n == 0) break;
        bytes.insert(bytes.end(), block, block + n);
    }
    ::close(fd);
    return bytes;
}

BOOL LoadThroughFile(CIffFile& iff, const ScratchFile& scratch, const uint8_t* data, size_t size) {
    iff.Reset();
    scratch.Write(data, size);
    CFile file;
    FUZZ_CHECK(file.Open(scratch.Path().c_str(), CFile::modeReadWrite | CFile::shareExclusive));
    try {
        return iff.Load(&file, nullptr);
    } catch (const CFileException&) {
        return FALSE;  // the file's own errors while reading its header
    }
}

}  // namespace palvane_fuzz
