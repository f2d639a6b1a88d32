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

// Indented by two spaces, keys in insertion order. Strings must be UTF-8; quotes and
// backslashes are escaped as usual, and every control character (U+0000-U+001F, U+007F,
// U+0080-U+009F) is written as \u00XX.
void WriteJson(std::ostream& out, const nlohmann::ordered_json& value);
