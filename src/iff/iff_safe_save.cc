#include "iff/iff_safe_save.h"

#include <errno.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

#include "iff/iff_chunk_list.h"
#include "iff/iff_manager.h"
#include "iff/iff_write_buffer.h"
#include "iff/iff_writer.h"

namespace {

// What a failed save must put back: the header image and every chunk's data offset. The
// same walk tells whether every chunk the save writes is loaded.
class Snapshot {
public:
    explicit Snapshot(CIffFileRecord& rec) : m_rec(rec) {
        std::memcpy(m_header, rec.m_header, sizeof m_header);
        m_offsets.reserve(static_cast<size_t>(rec.GetCount()));
        for (const auto* n = rec.m_chunks->head; n; n = n->next) {
            m_offsets.push_back(n->chunk.m_dwDataOffset);
            if (n->chunk.m_dwType != IFF_TYPE_RSMP && !n->chunk.m_bLoaded) m_writable = false;
        }
    }
    bool AllChunksWritable() const { return m_writable; }
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
    bool m_writable = true;
};

// Removes the temporary file unless the save went through.
class TemporaryGuard {
public:
    TemporaryGuard(CSaveFileSystem& fs, std::string path, std::unique_ptr<CFile>& file)
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
    CSaveFileSystem& m_fs;
    std::string m_path;
    std::unique_ptr<CFile>& m_file;
    bool m_committed = false;
};

std::string TemporaryName(const std::string& folder, const std::string& base) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    return JoinFilePath(folder, "." + base + "." + std::to_string(CurrentProcessId()) + "-" +
                                    std::to_string(counter++) + "-" +
                                    std::to_string(static_cast<unsigned>(ticks) & 0xFFFFFF) +
                                    ".tmp");
}

// Where the file cannot be renamed over while held: release the hold, rename, and take
// the hold again on whichever file the path then names. FALSE when the rename failed;
// the container then holds its original file again, if it can.
BOOL ReplaceReleasingHolds(CIffFileRecord& rec, std::unique_ptr<CFile>& temp,
                           const std::string& tempPath, const std::string& opened,
                           const std::string& target) {
    CSaveFileSystem& fs = GetSaveFileSystem();
    auto held = std::make_unique<CFile>();  // nothing left to fail once the rename is done
    temp->Close();
    temp.reset();
    rec.m_pFile->Close();
    const BOOL replaced = fs.Replace(tempPath, target, nullptr);
    // Another program may take the file in the instant it is free; give it a moment.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (held->Open(opened.c_str(), CFile::modeReadWrite | CFile::shareExclusive)) {
            rec.m_pFile = std::move(held);
            return replaced;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // The file is saved (or untouched) on disk, but no longer ours. Without a path, later
    // saves in place fail instead of writing over whatever the path names by then.
    rec.m_pFile->SetFilePath(std::string());
    return replaced;
}

BOOL SaveOverDiskFile(CIffFileRecord& rec, DWORD h, Snapshot& snapshot) {
    CFile& own = *rec.m_pFile;
    const std::string opened = own.GetFilePath();
    if (opened.empty()) return FALSE;

    // Write through a link to the file it names, so the link stays a link.
    ResolvedPath resolved;
    if (!ResolveFilePath(opened, &resolved) || !resolved.regular) return FALSE;
    const std::string& target = resolved.path;
    // The path must still name the file we hold; otherwise the rename would replace
    // someone else's file.
    FileIdentity held;
    if (GetOpenFileIdentity(own, &held) && held != resolved.identity) return FALSE;
    std::string folder, base;
    SplitFilePath(target, &folder, &base);

    CSaveFileSystem& fs = GetSaveFileSystem();
    const FileAttributes attributes = GetFileAttributesOf(target);
    std::unique_ptr<CFile> temp;
    std::string tempPath;
    for (int attempt = 0; attempt < 8 && !temp; ++attempt) {
        tempPath = TemporaryName(folder, base);
        try {
            temp = fs.CreateTemporary(tempPath, attributes);
        } catch (const CFileException& e) {
            if (e.m_lOsError != EEXIST) return FALSE;
        }
    }
    if (!temp) return FALSE;
    TemporaryGuard guard(fs, tempPath, temp);

    BOOL ok;
    {
        CWriteBuffer out(*temp);
        ok = IffWriteContainer(&out, h);  // any failure here is the save's failure
        if (ok) out.Flush();              // every byte on the disk before the name moves
    }
    if (ok) {
        int err = 0;
        ok = kRenameNeedsFilesClosed ? ReplaceReleasingHolds(rec, temp, tempPath, opened, target)
                                     : fs.Replace(tempPath, target, &err);
    }
    if (!ok) {
        snapshot.Restore();
        return FALSE;
    }
    guard.Commit();
    fs.SyncFolder(folder);
    if (temp) {
        temp->SetFilePath(opened);
        rec.m_pFile = std::move(temp);  // the old duplicate is closed here
    }
    return TRUE;
}

}  // namespace

BOOL IffSaveInPlace(DWORD h) {
    CIffFileRecord* rec = CIffManager::GetRecord(h);
    if (!rec || !rec->m_pFile) return FALSE;
    std::optional<Snapshot> snapshot;
    try {
        snapshot.emplace(*rec);
        if (!snapshot->AllChunksWritable() || IffSavedSize(h) >= kIffSizeLimit) return FALSE;
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

BOOL CIffManager::Save(CFile* pFile, DWORD h) {
    CIffFileRecord* rec = GetRecord(h);
    if (!rec) return FALSE;
    if (pFile && pFile == rec->m_pFile.get() && rec->m_bNoSaveInPlace) return FALSE;
    if (!pFile) return IffSaveInPlace(h);
    if (IffSavedSize(h) >= kIffSizeLimit) return FALSE;
    // A header and a data write per chunk would be two system calls each on a disk file.
    CWriteBuffer out(*pFile);
    const BOOL written = IffWriteContainer(out, h);
    // A failed save leaves the target with what was written before the failure.
    if (written) {
        out.FlushBuffer();
    } else {
        try {
            out.FlushBuffer();
        } catch (const CFileException&) {
        }
    }
    return written;
}
