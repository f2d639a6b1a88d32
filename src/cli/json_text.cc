#include "cli/json_text.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstring>

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

// What one byte of a string can become at most: \u00XX.
constexpr size_t kEscapedByte = 6;

char* Control(char* out, unsigned char v) {
    static const char kHex[] = "0123456789ABCDEF";
    const char text[6] = {'\\', 'u', '0', '0', kHex[v >> 4], kHex[v & 0x0F]};
    std::memcpy(out, text, sizeof text);
    return out + sizeof text;
}

// ASCII that goes out as it is: not a control character, quote or backslash.
inline bool IsPlainAscii(unsigned char b) {
    return b >= 0x20 && b < 0x7F && b != '"' && b != '\\';
}

// An ASCII byte that is not plain, escaped.
char* EscapeAscii(char* out, unsigned char b) {
    if (b != '"' && b != '\\') return Control(out, b);
    *out++ = '\\';
    *out++ = static_cast<char>(b);
    return out;
}

// Writes the string quoted and escaped; needs room for kEscapedByte * n + 2 bytes.
char* WriteUtf8String(char* out, const char* s, size_t n) {
    *out++ = '"';
    for (size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (IsPlainAscii(b)) {
            *out++ = s[i];
        } else if (b < 0x80) {
            out = EscapeAscii(out, b);
        } else if (const auto next = static_cast<unsigned char>(i + 1 < n ? s[i + 1] : 0);
                   b == 0xC2 && next >= 0x80 && next <= 0x9F) {
            out = Control(out, next);  // U+0080-U+009F
            ++i;
        } else {
            *out++ = s[i];
        }
    }
    *out++ = '"';
    return out;
}

// The same for bytes read as Latin-1, each turned into UTF-8 on the way.
char* WriteLatin1String(char* out, const char* s, size_t n) {
    *out++ = '"';
    for (size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (IsPlainAscii(b)) {
            *out++ = s[i];
        } else if (b < 0x80) {
            out = EscapeAscii(out, b);
        } else if (b < 0xA0) {
            out = Control(out, b);
        } else {
            *out++ = static_cast<char>(0xC0 | (b >> 6));
            *out++ = static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    *out++ = '"';
    return out;
}

// A line break and the indentation; needs room for max(indent, kBreakRoom) + 1 bytes.
// Indents of up to kBreakRoom come from one copy of a fixed size.
constexpr size_t kBreakRoom = 16;
char* LineBreak(char* out, size_t indent) {
    *out++ = '\n';
    if (indent <= kBreakRoom) {
        std::memcpy(out, "                ", kBreakRoom);
    } else {
        std::memset(out, ' ', indent);
    }
    return out + indent;
}

}  // namespace

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

std::string Latin1ToUtf8(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes) AppendLatin1(out, static_cast<unsigned char>(c));
    return out;
}

JsonWriter::JsonWriter(std::ostream& out) : m_out(out) {}

JsonWriter::~JsonWriter() = default;

char* JsonWriter::Room(size_t n) {
    if (m_capacity - m_used < n) {
        Spill();
        if (m_capacity < n) {
            m_capacity = std::max(n, 2 * kSpillAt);
            m_text = std::make_unique<char[]>(m_capacity);
        }
    }
    return m_text.get() + m_used;
}

char* JsonWriter::Next(const char* key, size_t valueRoom) {
    const size_t keyLength = key ? std::strlen(key) : 0;
    const size_t indent = 2 * m_open.size();
    char* out = Room(2 + std::max(indent, kBreakRoom) + keyLength + 4 + valueRoom);
    if (m_open.empty()) return out;
    if (!m_open.back().empty) *out++ = ',';
    m_open.back().empty = false;
    out = LineBreak(out, indent);
    if (key) {
        *out++ = '"';
        std::memcpy(out, key, keyLength);
        out += keyLength;
        std::memcpy(out, "\": ", 3);
        out += 3;
    }
    return out;
}

void JsonWriter::Open(const char* key, char bracket) {
    char* out = Next(key, 1);
    *out++ = bracket;
    Commit(out);
    m_open.push_back({bracket == '{' ? '}' : ']', true});
}

void JsonWriter::Close() {
    const Level level = m_open.back();
    m_open.pop_back();
    const size_t indent = 2 * m_open.size();
    char* out = Room(std::max(indent, kBreakRoom) + 3);
    if (!level.empty) out = LineBreak(out, indent);
    *out++ = level.closer;
    if (m_open.empty()) {
        *out++ = '\n';
        Commit(out);
        Spill();
        m_out.flush();
    } else {
        Commit(out);
        if (m_used >= kSpillAt) Spill();
    }
}

void JsonWriter::Number(const char* key, unsigned long long value) {
    constexpr size_t kDigits = 20;  // of the largest value
    char* out = Next(key, kDigits);
    Commit(std::to_chars(out, out + kDigits, value).ptr);
}

void JsonWriter::String(const char* key, const std::string& utf8) {
    char* out = Next(key, kEscapedByte * utf8.size() + 2);
    Commit(WriteUtf8String(out, utf8.data(), utf8.size()));
}

void JsonWriter::Latin1String(const char* key, const char* bytes, size_t length) {
    char* out = Next(key, kEscapedByte * length + 2);
    Commit(WriteLatin1String(out, bytes, length));
}

void JsonWriter::Bool(const char* key, bool value) {
    char* out = Next(key, 5);
    const size_t n = value ? 4 : 5;
    std::memcpy(out, value ? "true" : "false", n);
    Commit(out + n);
}

void JsonWriter::Null(const char* key) {
    char* out = Next(key, 4);
    std::memcpy(out, "null", 4);
    Commit(out + 4);
}

void JsonWriter::Spill() {
    if (m_used) m_out.write(m_text.get(), static_cast<std::streamsize>(m_used));
    m_used = 0;
}
