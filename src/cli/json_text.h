// The text form of the JSON documents the tool prints.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Bytes read as Latin-1: each byte b becomes U+00b, in UTF-8.
std::string Latin1ToUtf8(const std::string& bytes);

// Valid UTF-8 sequences kept, every other byte taken as Latin-1; for text such as paths
// that is usually UTF-8 but need not be.
std::string ToUtf8Lenient(const std::string& bytes);

// Writes a JSON document as it is produced, so that a long one is never held whole.
// Indented by two spaces, members in the order written, a newline after the outermost
// value. Strings must be UTF-8; quotes and backslashes are escaped as usual, and every
// control character (U+0000-U+001F, U+007F, U+0080-U+009F) is written as \u00XX. Keys
// are given inside objects and NULL inside arrays. Text reaches the stream in pieces of
// about 64 KiB and when the outermost value closes.
class CJsonWriter {
public:
    explicit CJsonWriter(std::ostream& out);
    ~CJsonWriter();  // text not yet handed to the stream is dropped

    CJsonWriter(const CJsonWriter&) = delete;
    CJsonWriter& operator=(const CJsonWriter&) = delete;

    void BeginObject(const char* key = nullptr) { Open(key, '{'); }
    void BeginArray(const char* key = nullptr) { Open(key, '['); }
    void End() { Close(); }  // of the innermost object or array
    void Number(const char* key, unsigned long long value);
    void String(const char* key, const std::string& utf8);
    void Bool(const char* key, bool value);
    void Null(const char* key);

private:
    static constexpr size_t kSpillAt = 64 * 1024;
    struct Level {
        char closer;
        bool empty;
    };

    void Next(const char* key);
    void Open(const char* key, char bracket);
    void Close();
    void Spill();

    std::ostream& m_out;
    std::string m_text;
    std::vector<Level> m_open;
};
