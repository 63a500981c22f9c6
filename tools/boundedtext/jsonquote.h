// Quoting of text as a JSON string literal.
#ifndef BOUNDEDTEXT_JSONQUOTE_H
#define BOUNDEDTEXT_JSONQUOTE_H

#include <string>

namespace boundedtext {

// Appends `text` to `out` as a JSON string literal, quotes included. The
// double quote, the backslash and the control characters with a short form
// (\b \f \n \r \t) are escaped that way; the other control characters and
// DEL as \u00XX. Well-formed UTF-8 sequences are kept as they are; each byte
// that starts none becomes U+FFFD, so the result is always valid UTF-8 and
// valid JSON, whatever bytes `text` holds (a tool's output, a file name).
void appendJsonQuoted(std::string& out, const std::string& text);
std::string jsonQuote(const std::string& text);

}  // namespace boundedtext

#endif  // BOUNDEDTEXT_JSONQUOTE_H
