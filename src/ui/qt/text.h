// Texts between the models (bytes) and Qt (Unicode).
#pragma once

#include <QString>
#include <string>

namespace qtui {

// UTF-8 when the bytes are valid UTF-8 (paths, typed text); otherwise each byte is one
// Latin-1 character, as names inside resource files are single-byte text.
QString ToQString(const std::string& text);
std::string ToStdString(const QString& text);  // UTF-8

// A static's text as it is shown: "&x" shows "x", "&&" shows "&".
QString WithoutPrefixes(const QString& text);

}  // namespace qtui
