#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>

#include "builders/iff_builder.h"
#include "files/file.h"

namespace palvane_fuzz {

namespace {

std::string MakeFolder() {
    std::error_code ec;
    if (std::filesystem::is_directory("/dev/shm", ec)) {
        try {
            return builders::MakeScratchFolder("/dev/shm", "palvane-fuzz");
        } catch (const std::runtime_error&) {
            // not ours to write in: the temporary folder then
        }
    }
    return builders::MakeScratchFolder(std::filesystem::temp_directory_path().string(),
                                       "palvane-fuzz");
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
    std::ofstream out(m_path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    FUZZ_CHECK(out.good());
}

std::vector<uint8_t> ScratchFile::Read() const {
    std::ifstream in(m_path, std::ios::binary);
    FUZZ_CHECK(in.good());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

CommandLine OnScratchFile(Command command, const ScratchFile& file) {
    CommandLine cmd;
    cmd.command = command;
    cmd.files = {file.Path()};
    return cmd;
}

Run Capturing(ExitStatus (*command)(const CommandLine&), const CommandLine& cmd) {
    Capture out(std::cout), err(std::cerr);
    const ExitStatus status = command(cmd);
    return {status, out.Text(), err.Text()};
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
