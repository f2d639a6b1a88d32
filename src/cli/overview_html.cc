#include "cli/overview_html.h"

#include "cli/json_text.h"

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";
constexpr size_t kStemNameBytes = 40;

// The whole look, in the page itself: the folder of pages opens from disk anywhere.
// Frames sit on a checkerboard so that what they leave undrawn shows.
constexpr char kStyle[] =
    R"(body{font:14px/1.4 system-ui,sans-serif;margin:16px 24px;color:#222;background:#fafafa}
h1{font-size:20px;margin:0 0 4px;word-break:break-all}
h2{font-size:16px;margin:20px 0 8px;border-bottom:1px solid #ccc}
h3{font-size:14px;margin:0 0 6px}
a{color:#0b57d0}
.meta{color:#555;margin:0 0 8px}
table{border-collapse:collapse}
th,td{padding:3px 10px;border-bottom:1px solid #e2e2e2;text-align:right}
th:first-child,td:first-child{text-align:left;word-break:break-all}
tr.findings td{background:#fff4d6}
tr.failed td{background:#fde2e1}
ul.findings{margin:0;padding-left:20px}
ul.findings li{color:#8a1c1c}
.palettes,.frames{display:flex;flex-wrap:wrap;gap:10px;align-items:flex-end}
figure{margin:0;padding:4px;border:2px solid transparent;border-radius:4px;background:#fff}
figcaption{font-size:12px;color:#444;text-align:center;margin-top:2px}
img{display:block;margin:0 auto;image-rendering:pixelated;image-rendering:crisp-edges}
.frame img{background:repeating-conic-gradient(#ddd 0 25%,#fff 0 50%) 0 0/16px 16px}
.sprite{margin:0 0 14px;padding:8px;background:#f0f0f0;border-radius:6px}
.fallback{border-color:#e0a800}
.fallback figcaption b{color:#8a6100}
.none,.finding{border-color:#d93025}
.none figcaption b,.finding figcaption b{color:#b3261e}
.placeholder{display:flex;align-items:center;justify-content:center;margin:0 auto;min-width:64px;min-height:64px;background:repeating-linear-gradient(45deg,#fbe9e7 0 6px,#fff 6px 12px);color:#b3261e;font-size:12px;text-align:center}
.note{color:#b3261e}
)";

void Append(std::string& out, char c) {
    switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
    }
}

// Escapes UTF-8 text whose code points are all valid.
std::string Escape(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const bool c1 = b == 0xC2 && i + 1 < utf8.size() &&
                        static_cast<unsigned char>(utf8[i + 1]) < 0xA0;  // U+0080..U+009F
        if (b < 0x20 || b == 0x7F || c1) {
            out += kReplacement;
            if (c1) ++i;
            continue;
        }
        Append(out, utf8[i]);
    }
    return out;
}

}  // namespace

std::string HtmlText(const std::string& text) {
    return Escape(ToUtf8Lenient(text));
}

std::string HtmlLatin1(const std::string& bytes) {
    return Escape(Latin1ToUtf8(bytes));
}

std::string OverviewStem(size_t index, const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string stem = std::to_string(index);
    if (stem.size() < 4) stem.insert(0, 4 - stem.size(), '0');
    stem += '-';
    for (size_t i = 0; i < last.size() && i < kStemNameBytes; ++i) {
        const char c = last[i];
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        stem += keep ? c : '_';
    }
    if (stem.back() == '.') stem.back() = '_';  // Windows drops a final dot
    return stem;
}

std::string HtmlPageStart(const std::string& title) {
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
           title + "</title>\n<style>\n" + kStyle + "</style>\n</head>\n<body>\n";
}

std::string HtmlPageEnd() {
    return "</body>\n</html>\n";
}
