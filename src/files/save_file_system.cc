#include "files/save_file_system.h"

namespace {

CSaveFileSystem g_realFileSystem;
CSaveFileSystem* g_fileSystem = &g_realFileSystem;

}  // namespace

CSaveFileSystem::~CSaveFileSystem() = default;

std::unique_ptr<CFile> CSaveFileSystem::CreateTemporary(const std::string& path,
                                                        const FileAttributes& attributes) {
    auto file = std::make_unique<CFile>();
    CFileException error;
    if (!file->Open(path.c_str(),
                    CFile::modeCreateNew | CFile::modeReadWrite | CFile::shareExclusive, &error))
        throw error;
    int err = 0;
    if (!ApplyFileAttributes(*file, path, attributes, &err)) {
        file->Close();
        RemoveFile(path);
        throw CFileException(CFileException::OsErrorToCause(err), err, path);
    }
    return file;
}

BOOL CSaveFileSystem::Replace(const std::string& from, const std::string& to, int* pError) {
    return RenameFileOver(from, to, pError);
}

void CSaveFileSystem::Remove(const std::string& path) {
    RemoveFile(path);
}

void CSaveFileSystem::SyncFolder(const std::string& folder) {
    ::SyncFolder(folder);
}

CSaveFileSystem* SetSaveFileSystem(CSaveFileSystem* fs) {
    CSaveFileSystem* previous = g_fileSystem;
    g_fileSystem = fs ? fs : &g_realFileSystem;
    return previous;
}

CSaveFileSystem& GetSaveFileSystem() {
    return *g_fileSystem;
}
