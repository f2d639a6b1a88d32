// The text form of the JSON documents the tool prints.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

// Valid UTF-8 sequences kept, every other byte taken as Latin-1; for text such as paths
// that is usually UTF-8 but need not be.
std::string ToUtf8Lenient(const std::string& bytes);

// Every byte taken as Latin-1 (byte b is U+00b), as the names of chunks are read.
std::string Latin1ToUtf8(const std::string& bytes);

// Writes a JSON document as it is produced, so that a long one is never held whole.
// Indented by two spaces, members in the order written, a newline after the outermost
// value. Strings are UTF-8 or, for Latin1String, bytes read as Latin-1 (byte b is U+00b);
// quotes and backslashes are escaped as usual, and every control character (U+0000-U+001F,
// U+007F, U+0080-U+009F) is written as \u00XX. Keys are given inside objects and NULL
// inside arrays; they are names that need no escaping (ASCII letters, digits, '_') and go
// out as they are. The text is gathered in one buffer and reaches the stream in pieces of
// about 64 KiB and when the outermost value closes.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out);
    ~JsonWriter();  // text not yet handed to the stream is dropped

    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    void BeginObject(const char* key = nullptr) { Open(key, '{'); }
    void BeginArray(const char* key = nullptr) { Open(key, '['); }
    void End() { Close(); }  // of the innermost object or array
    void Number(const char* key, unsigned long long value);
    void String(const char* key, const std::string& utf8);
    void Latin1String(const char* key, const char* bytes, size_t length);
    void Latin1String(const char* key, const std::string& bytes) {
        Latin1String(key, bytes.data(), bytes.size());
    }
    void Bool(const char* key, bool value);
    void Null(const char* key);

private:
    static constexpr size_t kSpillAt = 64 * 1024;
    struct Level {
        char closer;
        bool empty;
    };

    // Room for n more bytes at the end of the text; the bytes written there are counted
    // by Commit.
    char* Room(size_t n);
    void Commit(char* end) { m_used = static_cast<size_t>(end - m_text.get()); }
    // The separator and indentation before a value, and its key; the text after them.
    char* Next(const char* key, size_t valueRoom);
    void Open(const char* key, char bracket);
    void Close();
    void Spill();

    std::ostream& m_out;
    std::unique_ptr<char[]> m_text;
    size_t m_used = 0;
    size_t m_capacity = 0;
    std::vector<Level> m_open;
};
