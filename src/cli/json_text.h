// The text form of the JSON documents the tool prints.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

// Bytes read as Latin-1: each byte b becomes U+00b, in UTF-8.
std::string Latin1ToUtf8(const std::string& bytes);

// Valid UTF-8 sequences kept, every other byte taken as Latin-1; for text such as paths
// that is usually UTF-8 but need not be.
std::string ToUtf8Lenient(const std::string& bytes);

// Writes one JSON object member by member, the items of an array member one at a time,
// so that a long document is never held whole. Indented by two spaces, keys in insertion
// order, a newline after the closing brace. Strings must be UTF-8; quotes and backslashes
// are escaped as usual, and every control character (U+0000-U+001F, U+007F,
// U+0080-U+009F) is written as \u00XX. Text goes to the stream in pieces of about 64 KiB
// and when the object ends.
class CJsonObjectWriter {
public:
    explicit CJsonObjectWriter(std::ostream& out);
    ~CJsonObjectWriter();  // text not yet handed to the stream is dropped

    CJsonObjectWriter(const CJsonObjectWriter&) = delete;
    CJsonObjectWriter& operator=(const CJsonObjectWriter&) = delete;

    void Member(const std::string& key, const nlohmann::ordered_json& value);
    void BeginArray(const std::string& key);  // an array member; Item for each, then EndArray
    void Item(const nlohmann::ordered_json& value);
    void EndArray();
    void End();  // closes the object, ends the line and flushes the stream

private:
    static constexpr size_t kSpillAt = 64 * 1024;

    void Key(const std::string& key);
    void Spill();

    std::ostream& m_out;
    std::string m_text;
    bool m_bFirstMember = true;
    bool m_bFirstItem = true;
};
