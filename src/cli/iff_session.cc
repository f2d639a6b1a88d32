#include "cli/iff_session.h"

#include "cli/replacement_file.h"
#include "cli/report.h"
#include "files/file.h"
#include "iff/iff_types.h"

namespace {

constexpr char kOpenFailed[] = "Unable to open file!";
constexpr char kNotIff[] = "Unable to open file as an IFF file!";
constexpr char kSaveFailed[] = "Error while saving this file!";

std::string LoadErrorText(int code, const CIffFile& iff) {
    switch (code) {
        case IFF_ERROR_SIGNATURE:
            return "it does not begin with \"IFF FILE\"";
        case IFF_ERROR_VERSION:
            return "version \"" + iff.GetVersion() + "\" is neither 2.0 nor 2.5";
        default:
            return std::string();
    }
}

}  // namespace

IffSession::IffSession(std::string path) : m_path(std::move(path)) {}

IffSession::~IffSession() {
    // A container that Load attached is not owned by m_iff; only Reset closes it, and with
    // it the last descriptor (and lock) on the file. Many files in one run need that.
    try {
        m_iff.Reset();
    } catch (...) {
    }
}

bool IffSession::Open() {
    CFile file;
    CFileException error;
    if (!file.Open(m_path.c_str(), CFile::modeReadWrite | CFile::shareExclusive, &error)) {
        ReportMessage(m_path, kOpenFailed, OsErrorText(error.m_lOsError));
        return false;
    }
    int code = 0;
    try {
        if (m_iff.Load(&file, &code)) return true;
    } catch (const CFileException& e) {
        ReportMessage(m_path, kNotIff, OsErrorText(e.m_lOsError));
        return false;
    }
    ReportMessage(m_path, kNotIff, LoadErrorText(code, m_iff));
    return false;
}

bool IffSession::Save(const std::optional<std::string>& output) {
    // Every chunk must be in memory first: the save rewrites the file it reads from.
    if (!m_iff.LoadAllChunkData()) {
        ReportMessage(m_path, kSaveFailed, "a chunk's data could not be read");
        return false;
    }
    std::string detail;
    bool saved = false;
    try {
        saved = output ? SaveTo(*output, &detail) : m_iff.Save(nullptr) != FALSE;
    } catch (const CFileException& e) {
        detail = OsErrorText(e.m_lOsError);
        saved = false;
    }
    if (!saved) ReportMessage(m_path, kSaveFailed, detail);
    return saved;
}

bool IffSession::SaveTo(const std::string& output, std::string* detail) {
    ReplacementFile target(output);
    if (!target.Create(detail)) return false;
    if (!m_iff.Save(&target.File())) return false;
    return target.Commit(detail);
}

bool IffSession::AttachSprite(WORD id, CSpr2& sprite) {
    const std::string spriteText = "sprite " + std::to_string(id);
    CIffChunk* chunk = nullptr;
    if (!m_iff.FindChunk(&chunk, IFF_TYPE_SPR2, id)) {
        ReportMessage(m_path, "Can't find this item!", spriteText);
        return false;
    }
    if (!sprite.Attach(&m_iff, chunk)) {
        ReportMessage(m_path, "Can't load this resource!", spriteText);
        return false;
    }
    return true;
}
