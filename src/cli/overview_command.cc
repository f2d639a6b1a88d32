// overview: a folder of HTML pages showing every palette, sprite and frame of the files,
// with check's findings, to open from disk in a browser.
#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>

#include "cli/batch.h"
#include "cli/commands.h"
#include "cli/iff_session.h"
#include "cli/input_files.h"
#include "cli/overview_file.h"
#include "cli/overview_html.h"
#include "cli/replacement_file.h"
#include "files/file_system.h"

namespace {

// Failed files first, then those with findings, each group in input order.
int Rank(const OverviewEntry& e) {
    return e.failed ? 0 : e.findings > 0 ? 1 : 2;
}

std::string IndexPage(std::vector<OverviewEntry> entries, const BatchTotals& totals) {
    std::stable_sort(
        entries.begin(), entries.end(),
        [](const OverviewEntry& a, const OverviewEntry& b) { return Rank(a) < Rank(b); });
    long long sprites = 0, frames = 0, findings = 0;
    for (const OverviewEntry& e : entries) {
        sprites += e.sprites;
        frames += e.frames;
        findings += e.findings;
    }
    std::string page = HtmlPageStart("Overview of " + GroupedCount(totals.files, "file")) +
                       "<h1>Overview</h1>\n<p class=\"meta\">" +
                       GroupedCount(totals.files, "file") + ": " + Grouped(totals.warnings) +
                       " with findings, " + Grouped(totals.failed) + " failed; " +
                       GroupedCount(sprites, "sprite") + ", " + GroupedCount(frames, "frame") +
                       ", " + GroupedCount(findings, "finding") +
                       "</p>\n<table>\n<thead><tr><th>File</th><th>Sprites</th><th>Frames</th>"
                       "<th>Findings</th></tr></thead>\n<tbody>\n";
    for (const OverviewEntry& e : entries) {
        const char* cls = e.failed ? " class=\"failed\"" : e.findings ? " class=\"findings\"" : "";
        page += std::string("<tr") + cls + "><td>";
        if (e.page.empty())
            page += HtmlText(e.path);
        else
            page += "<a href=\"" + e.page + "\">" + HtmlText(e.path) + "</a>";
        if (e.failed && e.page.empty())
            page += "</td><td colspan=\"3\">could not be read</td></tr>\n";
        else
            page += "</td><td>" + Grouped(e.sprites) + "</td><td>" + Grouped(e.frames) +
                    "</td><td>" + Grouped(e.findings) + "</td></tr>\n";
    }
    return page + "</tbody>\n</table>\n" + HtmlPageEnd();
}

}  // namespace

ExitStatus RunOverview(const CommandLine& cmd) {
    const std::string& outDir = cmd.outBmp;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::u8path(outDir), ec);
    if (ec) {
        ReportMessage(outDir, "Unable to make this folder!", ec.message());
        return ExitStatus::failed;
    }
    const Inputs inputs = CollectInputs(cmd.files);
    // A path named twice is one file: one page, written by one worker at a time.
    std::map<std::string, size_t> numbers;
    std::vector<OverviewEntry> entries;
    for (const InputFile& file : inputs.files) {
        if (!file.problem.empty() && !file.failure) continue;  // a notice, no file
        if (!numbers.emplace(file.path, entries.size() + 1).second) continue;
        OverviewEntry e;
        e.path = file.path;
        e.failed = true;  // until its page is made
        entries.push_back(std::move(e));
    }
    std::mutex lock;
    BatchOptions options;
    options.jobs = cmd.jobs ? cmd.jobs : DefaultJobs();
    options.progress = !cmd.quiet && inputs.files.size() > 1 && StderrIsTerminal();
    const BatchTotals totals = RunBatch(inputs.files, options, [&](const std::string& path) {
        FileResult r;
        const size_t number = numbers.at(path);
        OverviewEntry entry;
        entry.path = path;
        IffSession session(path);
        const bool opened = session.Open(OpenFor::reading);
        const bool written =
            opened && WriteOverviewPage(session.Iff(), outDir, OverviewStem(number, path), &entry);
        entry.failed = !written;
        r.frames = entry.frames;
        r.sprites = entry.sprites;
        if (!written) {
            r.status = ExitStatus::failed;
            r.outcome = Outcome::failed;
        } else if (entry.findings > 0) {
            r.status = ExitStatus::warning;
            r.outcome = Outcome::warning;
        }
        const std::lock_guard<std::mutex> guard(lock);
        entries[number - 1] = std::move(entry);
        return r;
    });
    const std::string index = JoinFilePath(outDir, "index.html");
    const std::string page = IndexPage(entries, totals);
    std::string detail;
    ExitStatus status = totals.status;
    if (!WriteFileReplacing(index, std::vector<BYTE>(page.begin(), page.end()), &detail)) {
        ReportMessage(index, "Unable to write this page!", detail);
        status = ExitStatus::failed;
    }
    PrintLine(GroupedCount(totals.files, "file") + ": " + Grouped(totals.done) +
              " without findings, " + Grouped(totals.warnings) + " with findings, " +
              Grouped(totals.failed) + " failed; " + GroupedCount(totals.frames, "frame") + " in " +
              GroupedCount(totals.sprites, "sprite") + " shown in " + index);
    return status;
}
