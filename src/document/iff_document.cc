#include "document/iff_document.h"

#include "iff/iff_types.h"

namespace {

constexpr char kOpenFailed[] = "Unable to open file!";
constexpr char kNotIff[] = "Unable to open file as an IFF file!";
constexpr char kNotDecoded[] = "Can't load this resource!";
constexpr char kSaveFailed[] = "Error while saving this file!";

bool Fail(StepFailure* failure, const char* message, int osError, std::string detail) {
    if (failure) *failure = StepFailure{message, osError, std::move(detail)};
    return false;
}

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

bool WriteTo(CIffFile& iff, SaveTarget& target, std::string* detail) {
    CFile* file = target.Begin(detail);
    return file && iff.Save(file) && target.Finish(detail);
}

}  // namespace

bool OpenDocument(CIffFile& iff, const std::string& path, StepFailure* failure, OpenFor purpose) {
    iff.Reset();
    // Closed on return; the container holds a duplicate of the handle.
    CFile file;
    CFileException error;
    const UINT mode = purpose == OpenFor::editing ? CFile::modeReadWrite : CFile::modeRead;
    if (!file.Open(path.c_str(), mode | CFile::shareExclusive, &error))
        return Fail(failure, kOpenFailed, error.m_lOsError, std::string());
    int code = 0;
    if (!iff.Load(&file, &code)) return Fail(failure, kNotIff, 0, LoadErrorText(code, iff));
    return true;
}

StepFailure LoadFailure(const CFileException& error) {
    return StepFailure{kNotIff, error.m_lOsError, std::string()};
}

bool AttachSprite(CIffFile& iff, WORD id, CSpr2& sprite, StepFailure* failure) {
    CIffChunk* chunk = nullptr;
    if (!iff.FindChunk(&chunk, IFF_TYPE_SPR2, id))
        return Fail(failure, kNoSuchItem, 0, std::string());
    if (!sprite.Attach(&iff, chunk)) return Fail(failure, kNotDecoded, 0, std::string());
    return true;
}

bool SaveDocument(CIffFile& iff, SaveTarget* target, StepFailure* failure) {
    return LoadDocumentForSave(iff, failure) && WriteDocument(iff, target, failure);
}

bool LoadDocumentForSave(CIffFile& iff, StepFailure* failure) {
    try {
        if (iff.LoadAllChunkData()) return true;
    } catch (const CFileException& e) {
        return Fail(failure, kSaveFailed, e.m_lOsError, std::string());
    }
    return Fail(failure, kSaveFailed, 0, "a chunk's data could not be read");
}

bool WriteDocument(CIffFile& iff, SaveTarget* target, StepFailure* failure) {
    std::string detail;
    try {
        if (target ? WriteTo(iff, *target, &detail) : iff.Save(nullptr) != FALSE) return true;
    } catch (const CFileException& e) {
        return Fail(failure, kSaveFailed, e.m_lOsError, std::string());
    }
    return Fail(failure, kSaveFailed, 0, detail);
}
