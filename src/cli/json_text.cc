#include "cli/json_text.h"

#include <algorithm>
#include <cstddef>

namespace {

void AppendLatin1(std::string& out, unsigned char b) {
    if (b < 0x80) {
        out += static_cast<char>(b);
    } else {
        out += static_cast<char>(0xC0 | (b >> 6));
        out += static_cast<char>(0x80 | (b & 0x3F));
    }
}

// Length of the valid UTF-8 sequence starting at s[i], or 0.
size_t Utf8SequenceLength(const std::string& s, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    size_t n;
    unsigned long cp;
    if (b < 0x80) return 1;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
        cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        cp = b & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

void WriteString(std::string& out, const std::string& s) {
    static const char kHex[] = "0123456789ABCDEF";
    const auto control = [&](unsigned v) {
        const char text[6] = {'\\', 'u', '0', '0', kHex[v >> 4], kHex[v & 0x0F]};
        out.append(text, sizeof text);
    };
    out += '"';
    size_t plain = 0;  // start of the bytes not yet written, all taken as they are
    for (size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        const bool c1 = b == 0xC2 && i + 1 < s.size() &&
                        static_cast<unsigned char>(s[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(s[i + 1]) <= 0x9F;
        if (b >= 0x20 && b != '"' && b != '\\' && b != 0x7F && !c1) continue;
        out.append(s, plain, i - plain);
        if (b == '"' || b == '\\') {
            out += '\\';
            out += static_cast<char>(b);
        } else if (c1) {
            control(static_cast<unsigned char>(s[++i]));
        } else {
            control(b);
        }
        plain = i + 1;
    }
    out.append(s, plain, s.size() - plain);
    out += '"';
}

// A comma when asked, a line break and the indentation of depth, mostly from one string.
const char kBreak[] = ",\n                                                              ";

void LineBreak(std::string& out, size_t depth, bool comma = false) {
    const size_t width = depth * 2;
    const size_t fits = std::min(width, sizeof kBreak - 3);
    out.append(kBreak + (comma ? 0 : 1), fits + (comma ? 2 : 1));
    if (width > fits) out.append(width - fits, ' ');
}

}  // namespace

std::string Latin1ToUtf8(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) AppendLatin1(out, static_cast<unsigned char>(c));
    return out;
}

std::string ToUtf8Lenient(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        const size_t n = Utf8SequenceLength(bytes, i);
        if (n == 0) {
            AppendLatin1(out, static_cast<unsigned char>(bytes[i]));
            ++i;
        } else {
            out.append(bytes, i, n);
            i += n;
        }
    }
    return out;
}

CJsonWriter::CJsonWriter(std::ostream& out) : m_out(out) {}

CJsonWriter::~CJsonWriter() = default;

void CJsonWriter::Next(const char* key) {
    if (m_open.empty()) return;
    LineBreak(m_text, m_open.size(), !m_open.back().empty);
    m_open.back().empty = false;
    if (key) {
        WriteString(m_text, key);
        m_text += ": ";
    }
}

void CJsonWriter::Open(const char* key, char bracket) {
    Next(key);
    m_text += bracket;
    m_open.push_back({bracket == '{' ? '}' : ']', true});
}

void CJsonWriter::Close() {
    const Level level = m_open.back();
    m_open.pop_back();
    if (!level.empty) LineBreak(m_text, m_open.size());
    m_text += level.closer;
    if (m_open.empty()) {
        m_text += '\n';
        Spill();
        m_out.flush();
    } else if (m_text.size() >= kSpillAt) {
        Spill();
    }
}

void CJsonWriter::Number(const char* key, unsigned long long value) {
    Next(key);
    char digits[24];
    size_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0) m_text += digits[--n];
}

void CJsonWriter::String(const char* key, const std::string& utf8) {
    Next(key);
    WriteString(m_text, utf8);
}

void CJsonWriter::Bool(const char* key, bool value) {
    Next(key);
    m_text += value ? "true" : "false";
}

void CJsonWriter::Null(const char* key) {
    Next(key);
    m_text += "null";
}

void CJsonWriter::Spill() {
    m_out.write(m_text.data(), static_cast<std::streamsize>(m_text.size()));
    m_text.clear();
}
