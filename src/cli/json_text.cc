#include "cli/json_text.h"

#include <cstddef>
#include <cstdint>

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
    for (size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b == '"' || b == '\\') {
            out += '\\';
            out += static_cast<char>(b);
        } else if (b < 0x20 || b == 0x7F) {
            control(b);
        } else if (b == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(s[i + 1]) <= 0x9F) {
            control(static_cast<unsigned char>(s[++i]));
        } else {
            out += static_cast<char>(b);
        }
    }
    out += '"';
}

void Indent(std::string& out, int depth) {
    out.append(static_cast<size_t>(depth) * 2, ' ');
}

void WriteValue(std::string& out, const nlohmann::ordered_json& value, int depth) {
    if (value.is_object()) {
        if (value.empty()) {
            out += "{}";
            return;
        }
        out += "{\n";
        bool first = true;
        for (const auto& [key, item] : value.items()) {
            if (!first) out += ",\n";
            first = false;
            Indent(out, depth + 1);
            WriteString(out, key);
            out += ": ";
            WriteValue(out, item, depth + 1);
        }
        out += '\n';
        Indent(out, depth);
        out += '}';
    } else if (value.is_array()) {
        if (value.empty()) {
            out += "[]";
            return;
        }
        out += "[\n";
        for (size_t i = 0; i < value.size(); ++i) {
            if (i != 0) out += ",\n";
            Indent(out, depth + 1);
            WriteValue(out, value[i], depth + 1);
        }
        out += '\n';
        Indent(out, depth);
        out += ']';
    } else if (value.is_string()) {
        WriteString(out, value.get_ref<const std::string&>());
    } else if (value.is_number_unsigned()) {
        out += std::to_string(value.get<std::uint64_t>());
    } else if (value.is_number_integer()) {
        out += std::to_string(value.get<std::int64_t>());
    } else {
        out += value.dump();  // booleans, null, other numbers
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

CJsonObjectWriter::CJsonObjectWriter(std::ostream& out) : m_out(out) {}

CJsonObjectWriter::~CJsonObjectWriter() = default;

void CJsonObjectWriter::Key(const std::string& key) {
    m_text += m_bFirstMember ? "{\n" : ",\n";
    m_bFirstMember = false;
    Indent(m_text, 1);
    WriteString(m_text, key);
    m_text += ": ";
}

void CJsonObjectWriter::Member(const std::string& key, const nlohmann::ordered_json& value) {
    Key(key);
    WriteValue(m_text, value, 1);
}

void CJsonObjectWriter::BeginArray(const std::string& key) {
    Key(key);
    m_text += '[';
    m_bFirstItem = true;
}

void CJsonObjectWriter::Item(const nlohmann::ordered_json& value) {
    m_text += m_bFirstItem ? "\n" : ",\n";
    m_bFirstItem = false;
    Indent(m_text, 2);
    WriteValue(m_text, value, 2);
    if (m_text.size() >= kSpillAt) Spill();
}

void CJsonObjectWriter::EndArray() {
    if (!m_bFirstItem) {
        m_text += '\n';
        Indent(m_text, 1);
    }
    m_text += ']';
}

void CJsonObjectWriter::End() {
    m_text += m_bFirstMember ? "{}" : "\n}";
    m_text += '\n';
    Spill();
    m_out.flush();
}

void CJsonObjectWriter::Spill() {
    m_out.write(m_text.data(), static_cast<std::streamsize>(m_text.size()));
    m_text.clear();
}
