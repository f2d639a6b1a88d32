#include "cli/overview_file.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>
#include <utility>

#include "cli/batch.h"
#include "cli/check_findings.h"
#include "cli/overview_html.h"
#include "cli/palette_file.h"
#include "cli/picture_file.h"
#include "cli/report.h"
#include "files/file.h"
#include "files/file_system.h"
#include "iff/iff_types.h"
#include "sprites/palette.h"

namespace {

constexpr int kThumbnailSide = 64;
constexpr int kSwatchScale = 4;  // 16 x 16 colours as 64 x 64 pixels
constexpr int kMaxPlaceholder = 256;
constexpr DWORD kColoursAt = 16;

// Plainly, with no flush to the disk: the folder holds only what a run makes, and a run
// cut short is run again. A safe replacement per picture would cost a flush each, most
// of the time of a large overview.
bool WriteOutput(const std::string& path, const std::vector<BYTE>& bytes, std::string* pWhy) {
    CFile file;
    CFileException error;
    if (!file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite, &error)) {
        *pWhy = OsErrorText(error.m_lOsError);
        return false;
    }
    try {
        file.Write(bytes.data(), static_cast<UINT>(bytes.size()));
        file.Close();
    } catch (const CFileException& e) {
        *pWhy = OsErrorText(e.m_lOsError);
        return false;
    }
    return true;
}

std::string Num(long long n) {
    return std::to_string(n);
}

// "<img ...>" of a picture in the page's folder, with the size the file has.
std::string Img(const std::string& src, int width, int height, const std::string& alt) {
    return "<img src=\"" + src + "\" width=\"" + Num(width) + "\" height=\"" + Num(height) +
           "\" alt=\"" + alt + "\" loading=\"lazy\">";
}

std::string Placeholder(int width, int height, const std::string& text) {
    const auto side = [](int n) { return Num(std::clamp(n, kThumbnailSide, kMaxPlaceholder)); };
    return "<div class=\"placeholder\" style=\"width:" + side(width) + "px;height:" + side(height) +
           "px\">" + text + "</div>";
}

std::string NamedHtml(const CIffChunk& chunk) {
    std::string text = Num(chunk.m_wID);
    if (!chunk.m_strName.empty())
        text += " \xE2\x80\x9C" + HtmlLatin1(chunk.m_strName) + "\xE2\x80\x9D";
    return text;
}

class PageWriter {
public:
    PageWriter(CIffFile& iff, const FileCheck& check, std::string outDir, std::string stem)
        : m_iff(iff), m_check(check), m_outDir(std::move(outDir)), m_stem(std::move(stem)) {
        for (const SpriteFindings& s : check.sprites)
            for (const Finding& f : s.findings) {
                if (f.fields.contains("frame"))
                    m_frameFindings[{s.chunk->m_wID, f.fields["frame"].get<int>()}] = &f;
                else
                    m_spriteFindings[s.chunk->m_wID] = &f;
            }
    }

    bool Write(const std::string& path, OverviewEntry* pEntry) {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::u8path(JoinFilePath(m_outDir, m_stem)),
                                            ec);
        if (ec) {
            ReportMessage(JoinFilePath(m_outDir, m_stem), "Unable to make this folder!",
                          ec.message());
            return false;
        }
        std::string body;
        Findings(body);
        Palettes(body);
        Sprites(body);
        std::string page =
            HtmlPageStart(HtmlText(path)) + "<h1>" + HtmlText(path) +
            "</h1>\n<p class=\"meta\"><a href=\"index.html\">All files</a> &middot; " +
            GroupedCount(m_check.spritesSeen, "sprite") + ", " +
            GroupedCount(m_check.framesSeen, "frame") + ", " +
            GroupedCount(static_cast<long long>(m_check.Count()), "finding") + "</p>\n" + body +
            HtmlPageEnd();
        pEntry->page = m_stem + ".html";
        pEntry->sprites = m_check.spritesSeen;
        pEntry->frames = m_check.framesSeen;
        pEntry->findings = static_cast<long long>(m_check.Count());
        const std::string target = JoinFilePath(m_outDir, pEntry->page);
        std::string detail;
        if (!WriteOutput(target, std::vector<BYTE>(page.begin(), page.end()), &detail)) {
            ReportMessage(target, "Unable to write this page!", detail);
            m_ok = false;
        }
        return m_ok;
    }

private:
    // check's own words, so the page and check say the same.
    void Findings(std::string& out) const {
        if (m_check.Count() == 0) return;
        out += "<h2>Findings</h2>\n<ul class=\"findings\">\n";
        for (const Finding& f : m_check.paletteFindings) out += "<li>" + HtmlText(f.text) + "\n";
        for (const SpriteFindings& s : m_check.sprites)
            for (const Finding& f : s.findings)
                out += "<li><a href=\"#s" + Num(s.chunk->m_wID) + "\">sprite " +
                       HtmlText(FileCheck::Named(*s.chunk)) + "</a>: " + HtmlText(f.text) + "\n";
        out += "</ul>\n";
    }

    void Palettes(std::string& out) {
        out += "<h2>Palettes</h2>\n<div class=\"palettes\">\n";
        bool any = false;
        for (POSITION pos = m_iff.FindLowestIdOfType(IFF_TYPE_PALT); pos != nullptr;) {
            CIffChunk* chunk = m_iff.GetNextByIdOfType(pos);
            if (!chunk) break;
            any = true;
            const std::string caption = "<figcaption>" + NamedHtml(*chunk) + "</figcaption>";
            CBitmap swatch;
            if (m_check.Palettes().IsUsable(*chunk) && IsPaletteUsable(&m_iff, chunk) &&
                MakeSwatch(chunk->m_pData.get() + kColoursAt, &swatch)) {
                const std::string name = "p" + Num(chunk->m_wID) + ".png";
                const int side = 16 * kSwatchScale;
                if (Picture(name, swatch, kSwatchScale, nullptr))
                    out += "<figure>" + Img(Src(name), side, side, "palette " + Num(chunk->m_wID)) +
                           caption + "</figure>\n";
                continue;
            }
            out += "<figure class=\"finding\">" + Placeholder(0, 0, "cannot be used") + caption +
                   "</figure>\n";
        }
        if (!any) out += "<p class=\"meta\">No palettes.</p>\n";
        out += "</div>\n";
    }

    void Sprites(std::string& out) {
        out += "<h2>Sprites</h2>\n";
        CSpr2 sprite;
        bool any = false;
        for (POSITION pos = m_iff.FindLowestIdOfType(IFF_TYPE_SPR2); pos != nullptr;) {
            CIffChunk* chunk = m_iff.GetNextByIdOfType(pos);
            if (!chunk) break;
            any = true;
            out += "<section class=\"sprite\" id=\"s" + Num(chunk->m_wID) + "\">\n";
            if (!sprite.Attach(&m_iff, chunk)) {
                out += "<h3>Sprite " + NamedHtml(*chunk) + "</h3>\n<p class=\"note\">" +
                       HtmlText(Text(m_spriteFindings, chunk->m_wID, "does not decode")) +
                       "</p>\n</section>\n";
                continue;
            }
            const int count = static_cast<int>(sprite.m_frames.size());
            out += "<h3>Sprite " + NamedHtml(*chunk) + " &middot; common palette " +
                   Num(sprite.GetPaletteId()) + " &middot; " + Num(count) +
                   (count == 1 ? " frame" : " frames") + "</h3>\n<div class=\"frames\">\n";
            for (int i = 0; i < count; ++i) Frame(sprite, *chunk, i, out);
            out += "</div>\n</section>\n";
        }
        if (!any) out += "<p class=\"meta\">No sprites.</p>\n";
    }

    void Frame(CSpr2& sprite, const CIffChunk& chunk, int frame, std::string& out) {
        Spr2FrameInfo info{};
        if (!sprite.GetFrameInfo(&info, frame)) return;
        // The lookup drawing makes, as check makes it.
        const WORD own = info.wPaletteId, common = sprite.GetPaletteId();
        CIffChunk* ownChunk = nullptr;
        const bool hasOwn = m_iff.FindChunk(&ownChunk, IFF_TYPE_PALT, own);
        const CIffChunk* used = m_check.Palettes().Find(own, common);
        const auto found = m_frameFindings.find({chunk.m_wID, frame});
        const Finding* finding = found == m_frameFindings.end() ? nullptr : found->second;

        std::string cls = "frame", palette;
        if (!used) {
            cls += " none";
            palette = "<b>no usable palette</b>";
        } else if (hasOwn) {
            palette = "palette " + Num(own) + " (own)";
        } else {
            cls += " fallback";
            palette = "<b>palette " + Num(common) + " (fallback for " + Num(own) + ")</b>";
        }
        if (finding) cls += " finding";
        const int scale = ThumbnailScale(info.wWidth, info.wHeight);
        const int width = info.wWidth * scale, height = info.wHeight * scale;
        std::string picture;
        CBitmap color, depth, alpha;
        const std::string name = "s" + Num(chunk.m_wID) + "-" + Num(frame) + ".png";
        if (sprite.IsFrameDrawable(frame, used != nullptr, 0) &&
            sprite.BuildFrameBitmaps(&m_iff, frame, &color, &depth, &alpha,
                                     RGBQUAD{0xF0, 0xF0, 0xF0, 0}, 0, 0, 0) &&
            Picture(name, color, scale, &alpha)) {
            picture = Img(Src(name), width, height,
                          "sprite " + Num(chunk.m_wID) + " frame " + Num(frame));
        } else {
            if (!finding) cls += " finding";  // the bitmaps failed where check saw no fault
            picture = Placeholder(width, height, "cannot be drawn");
        }
        out += "<figure class=\"" + cls + "\"";
        if (finding) out += " title=\"" + HtmlText(finding->text) + "\"";
        out += ">" + picture + "<figcaption>" + Num(frame) + " &middot; " + Num(info.wWidth) +
               " &times; " + Num(info.wHeight) + "<br>" + palette + "</figcaption></figure>\n";
    }

    static std::string Text(const std::map<WORD, const Finding*>& findings, WORD id,
                            const char* otherwise) {
        const auto found = findings.find(id);
        return found == findings.end() ? otherwise : found->second->text;
    }

    std::string Src(const std::string& name) const { return m_stem + "/" + name; }

    bool Picture(const std::string& name, const CBitmap& plane, int scale, const CBitmap* alpha) {
        const std::string path = JoinFilePath(JoinFilePath(m_outDir, m_stem), name);
        std::string why;
        const std::vector<BYTE> bytes = EncodePicture(path, plane, scale, alpha, &why);
        if (!bytes.empty() && WriteOutput(path, bytes, &why)) return true;
        ReportMessage(path, "Unable to write this bitmap!", why);
        m_ok = false;
        return false;
    }

    CIffFile& m_iff;
    const FileCheck& m_check;
    std::string m_outDir, m_stem;
    std::map<std::pair<WORD, int>, const Finding*> m_frameFindings;
    std::map<WORD, const Finding*> m_spriteFindings;
    bool m_ok = true;
};

}  // namespace

int ThumbnailScale(int width, int height) {
    const int side = std::max(width, height);
    if (side <= 0) return 1;
    return std::clamp((kThumbnailSide + side - 1) / side, 1, kMaxPictureScale);
}

bool WriteOverviewPage(CIffFile& iff, const std::string& outDir, const std::string& stem,
                       OverviewEntry* pEntry) {
    FileCheck check(iff);
    check.Run();
    return PageWriter(iff, check, outDir, stem).Write(pEntry->path, pEntry);
}
