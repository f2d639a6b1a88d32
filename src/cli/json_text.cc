#include "cli/json_text.h"

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

void WriteString(std::ostream& out, const std::string& s) {
    static const char kHex[] = "0123456789ABCDEF";
    const auto control = [&](unsigned v) { out << "\\u00" << kHex[v >> 4] << kHex[v & 0x0F]; };
    out << '"';
    for (size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b == '"' || b == '\\') {
            out << '\\' << static_cast<char>(b);
        } else if (b < 0x20 || b == 0x7F) {
            control(b);
        } else if (b == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(s[i + 1]) <= 0x9F) {
            control(static_cast<unsigned char>(s[++i]));
        } else {
            out << static_cast<char>(b);
        }
    }
    out << '"';
}

void WriteValue(std::ostream& out, const nlohmann::ordered_json& value, int depth) {
    const std::string inner(static_cast<size_t>(depth + 1) * 2, ' ');
    const std::string outer(static_cast<size_t>(depth) * 2, ' ');
    if (value.is_object()) {
        if (value.empty()) {
            out << "{}";
            return;
        }
        out << "{\n";
        bool first = true;
        for (const auto& [key, item] : value.items()) {
            if (!first) out << ",\n";
            first = false;
            out << inner;
            WriteString(out, key);
            out << ": ";
            WriteValue(out, item, depth + 1);
        }
        out << '\n' << outer << '}';
    } else if (value.is_array()) {
        if (value.empty()) {
            out << "[]";
            return;
        }
        out << "[\n";
        for (size_t i = 0; i < value.size(); ++i) {
            if (i != 0) out << ",\n";
            out << inner;
            WriteValue(out, value[i], depth + 1);
        }
        out << '\n' << outer << ']';
    } else if (value.is_string()) {
        WriteString(out, value.get_ref<const std::string&>());
    } else {
        out << value.dump();  // numbers, booleans, null
    }
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

void WriteJson(std::ostream& out, const nlohmann::ordered_json& value) {
    WriteValue(out, value, 0);
    out << '\n';
}
