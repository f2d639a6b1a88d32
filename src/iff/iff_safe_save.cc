#include "iff/iff_safe_save.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "iff/iff_chunk_list.h"
#include "iff/iff_manager.h"
#include "iff/iff_write_buffer.h"
#include "iff/iff_writer.h"

namespace {

constexpr ULONGLONG kLimit = 0x100000000ull;

CIffSaveFileSystem g_realFileSystem;
CIffSaveFileSystem* g_fileSystem = &g_realFileSystem;

// What a failed save must put back: the header image and every chunk's data offset.
class Snapshot {
public:
    explicit Snapshot(CIffFileRecord& rec) : m_rec(rec) {
        std::memcpy(m_header, rec.m_header, sizeof m_header);
        m_offsets.reserve(static_cast<size_t>(rec.GetCount()));
        for (const auto* n = rec.m_chunks->head; n; n = n->next)
            m_offsets.push_back(n->chunk.m_dwDataOffset);
    }
    void Restore() {
        std::memcpy(m_rec.m_header, m_header, sizeof m_header);
        size_t i = 0;
        for (auto* n = m_rec.m_chunks->head; n && i < m_offsets.size(); n = n->next)
            n->chunk.m_dwDataOffset = m_offsets[i++];
    }

private:
    CIffFileRecord& m_rec;
    BYTE m_header[IFF_FILE_HEADER_SIZE];
    std::vector<DWORD> m_offsets;
};

// Removes the temporary file unless the save went through.
class TemporaryGuard {
public:
    TemporaryGuard(CIffSaveFileSystem& fs, std::string path, std::unique_ptr<CFile>& file)
        : m_fs(fs), m_path(std::move(path)), m_file(file) {}
    ~TemporaryGuard() {
        if (m_committed) return;
        if (m_file) {
            try {
                m_file->Close();
            } catch (...) {
            }
            m_file.reset();
        }
        m_fs.Remove(m_path);
    }
    void Commit() { m_committed = true; }

private:
    CIffSaveFileSystem& m_fs;
    std::string m_path;
    std::unique_ptr<CFile>& m_file;
    bool m_committed = false;
};

std::string TemporaryName(const std::string& folder, const std::string& base) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return folder + "/." + base + "." + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + "-" +
           std::to_string(static_cast<unsigned>(ticks) & 0xFFFFFF) + ".tmp";
}

BOOL AllChunksWritable(const CIffFileRecord& rec) {
    for (const auto* n = rec.m_chunks->head; n; n = n->next) {
        if (n->chunk.m_dwType != IFF_TYPE_RSMP && !n->chunk.m_bLoaded) return FALSE;
    }
    return TRUE;
}

BOOL SaveOverDiskFile(CIffFileRecord& rec, DWORD h, Snapshot& snapshot) {
    CFile& own = *rec.m_pFile;
    const std::string opened = own.GetFilePath();
    if (opened.empty()) return FALSE;

    // Write through a link to the file it names, so the link stays a link.
    char* resolved = ::realpath(opened.c_str(), nullptr);
    if (!resolved) return FALSE;
    const std::string target(resolved);
    std::free(resolved);
    struct stat st;
    if (::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return FALSE;
    // The path must still name the file we hold; otherwise the rename would replace
    // someone else's file.
    if (own.m_hFile >= 0) {
        struct stat held;
        if (::fstat(own.m_hFile, &held) != 0 || held.st_dev != st.st_dev ||
            held.st_ino != st.st_ino)
            return FALSE;
    }
    const auto slash = target.find_last_of('/');
    const std::string folder = slash == 0 ? "/" : target.substr(0, slash);
    const std::string base = target.substr(slash + 1);

    CIffSaveFileSystem& fs = GetIffSaveFileSystem();
    std::unique_ptr<CFile> temp;
    std::string tempPath;
    for (int attempt = 0; attempt < 8 && !temp; ++attempt) {
        tempPath = TemporaryName(folder, base);
        try {
            temp = fs.CreateTemporary(tempPath, st.st_mode & 07777);
        } catch (const CFileException& e) {
            if (e.m_lOsError != EEXIST) return FALSE;
        }
    }
    if (!temp) return FALSE;
    TemporaryGuard guard(fs, tempPath, temp);
    // Keep the owner too where we may (as root); elsewhere the new file is ours anyway.
    if (temp->m_hFile >= 0) {
        struct stat mine;
        if (::fstat(temp->m_hFile, &mine) == 0 &&
            (mine.st_uid != st.st_uid || mine.st_gid != st.st_gid)) {
            if (::fchown(temp->m_hFile, st.st_uid, st.st_gid) == 0)
                ::fchmod(temp->m_hFile, st.st_mode & 07777);
        }
    }

    BOOL ok;
    {
        CWriteBuffer out(*temp);
        ok = IffWriteContainer(&out, h);
        if (ok) out.Flush();  // every byte on the disk before the name moves
    }
    if (!ok || !fs.Replace(tempPath, target)) {
        snapshot.Restore();
        return FALSE;
    }
    guard.Commit();
    fs.SyncFolder(folder);
    temp->SetFilePath(opened);
    rec.m_pFile = std::move(temp);  // the old duplicate is closed here
    return TRUE;
}

}  // namespace

// ---------------------------------------------------------------------------------------

CIffSaveFileSystem::~CIffSaveFileSystem() = default;

std::unique_ptr<CFile> CIffSaveFileSystem::CreateTemporary(const std::string& path, unsigned mode) {
    auto file = std::make_unique<CFile>();
    CFileException error;
    if (!file->Open(path.c_str(),
                    CFile::modeCreateNew | CFile::modeReadWrite | CFile::shareExclusive, &error))
        throw error;
    // Independent of the umask: the new file gets the original's bits.
    if (::fchmod(file->m_hFile, static_cast<mode_t>(mode)) != 0) {
        const int err = errno;
        file->Close();
        ::unlink(path.c_str());
        throw CFileException(CFileException::OsErrorToCause(err), err, path);
    }
    return file;
}

BOOL CIffSaveFileSystem::Replace(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

void CIffSaveFileSystem::Remove(const std::string& path) {
    ::unlink(path.c_str());
}

void CIffSaveFileSystem::SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

CIffSaveFileSystem* SetIffSaveFileSystem(CIffSaveFileSystem* fs) {
    CIffSaveFileSystem* previous = g_fileSystem;
    g_fileSystem = fs ? fs : &g_realFileSystem;
    return previous;
}

CIffSaveFileSystem& GetIffSaveFileSystem() {
    return *g_fileSystem;
}

BOOL IffSaveInPlace(DWORD h) {
    CIffFileRecord* rec = CIffManager::GetRecord(h);
    if (!rec || !rec->m_pFile) return FALSE;
    std::optional<Snapshot> snapshot;
    try {
        if (!AllChunksWritable(*rec) || IffSavedSize(h) >= kLimit) return FALSE;
        snapshot.emplace(*rec);
        if (rec->m_bMemoryFile) {
            auto fresh = std::make_unique<CMemFile>(1024);
            if (!IffWriteContainer(fresh.get(), h)) {
                snapshot->Restore();
                return FALSE;
            }
            rec->m_pFile = std::move(fresh);
            return TRUE;
        }
        return SaveOverDiskFile(*rec, h, *snapshot);
    } catch (...) {
        if (snapshot) snapshot->Restore();
        return FALSE;
    }
}
