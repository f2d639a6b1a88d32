#include "cli/iff_session.h"

#include "cli/replacement_file.h"
#include "cli/report.h"
#include "document/iff_document.h"
#include "files/file.h"

namespace {

// A save to another path goes through a replacement file, so the path never holds half
// a container.
class ReplacementTarget : public SaveTarget {
public:
    explicit ReplacementTarget(const std::string& path) : m_file(path) {}

    CFile* Begin(std::string* detail) override {
        return m_file.Create(detail) ? &m_file.File() : nullptr;
    }
    bool Finish(std::string* detail) override { return m_file.Commit(detail); }

private:
    ReplacementFile m_file;
};

}  // namespace

IffSession::IffSession(std::string path) : m_path(std::move(path)) {}

void IffSession::Report(const std::string& message, const std::string& detail) {
    ReportMessage(m_path, message, detail);
    m_lastFailure = detail.empty() ? message : message + " (" + detail + ")";
}

void IffSession::Report(const StepFailure& failure) {
    Report(failure.message, failure.osError ? OsErrorText(failure.osError) : failure.detail);
}

IffSession::~IffSession() {
    // A container that Load attached is not owned by m_iff; only Reset closes it, and with
    // it the last descriptor (and lock) on the file. Many files in one run need that.
    try {
        m_iff.Reset();
    } catch (...) {
    }
}

bool IffSession::Open(OpenFor purpose) {
    StepFailure failure;
    try {
        if (OpenDocument(m_iff, m_path, &failure, purpose)) return true;
    } catch (const CFileException& e) {
        failure = LoadFailure(e);
    }
    Report(failure);
    return false;
}

bool IffSession::Save(const std::optional<std::string>& output) {
    StepFailure failure;
    std::optional<ReplacementTarget> target;
    if (output) target.emplace(*output);
    if (SaveDocument(m_iff, target ? &*target : nullptr, &failure)) return true;
    Report(failure);
    return false;
}

IffSession::SaveResult IffSession::Save(const std::optional<std::string>& output, bool dryRun,
                                        bool leaveUnchanged, bool changed) {
    StepFailure failure;
    if (!LoadDocumentForSave(m_iff, &failure)) {
        Report(failure);
        return SaveResult::failed;
    }
    if (leaveUnchanged && !changed && !output && m_iff.SaveMatchesFile())
        return SaveResult::unchanged;
    if (dryRun) return SaveResult::wouldSave;
    std::optional<ReplacementTarget> target;
    if (output) target.emplace(*output);
    if (WriteDocument(m_iff, target ? &*target : nullptr, &failure)) return SaveResult::saved;
    Report(failure);
    return SaveResult::failed;
}

bool IffSession::AttachSprite(WORD id, CSpr2& sprite) {
    StepFailure failure;
    if (::AttachSprite(m_iff, id, sprite, &failure)) return true;
    Report(failure.message, "sprite " + std::to_string(id));
    return false;
}
