#include "builders/scratch_files.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace builders {

namespace {

struct TempDir {
    std::string path;
    TempDir()
        : path(MakeScratchFolder(std::filesystem::temp_directory_path().string(), "palvane-test")) {
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

}  // namespace

std::string MakeScratchFolder(const std::string& base, const std::string& prefix) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = base + "/" + prefix + "-" + std::to_string(random() % 100000000);
        std::error_code ec;
        if (std::filesystem::create_directory(path, ec)) return path;
    }
    throw std::runtime_error("cannot make a folder in " + base);
}

std::string TempPath(const std::string& name) {
    static TempDir dir;
    static std::atomic<unsigned> counter{0};
    return dir.path + "/" + std::to_string(counter++) + "-" + name;
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
    // Paths are UTF-8, as everywhere in the program (the narrow forms would take the
    // system's code page on Windows).
    std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace builders
