#include "jsonquote.h"

#include "boundedtext.h"
#include "utf8.h"

namespace boundedtext {

void appendJsonQuoted(std::string& out, const std::string& text) {
  out += '"';
  for (std::size_t at = 0; at < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (c >= 0x80) {
      unsigned long code;
      const std::size_t length = decodeUtf8(text.data() + at, text.size() - at, code);
      if (length == 0) {
        out += "\xEF\xBF\xBD";  // U+FFFD
        ++at;
      } else {
        out.append(text, at, length);
        at += length;
      }
      continue;
    }
    ++at;
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char escaped[8];
          format(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

std::string jsonQuote(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 2);
  appendJsonQuoted(out, text);
  return out;
}

}  // namespace boundedtext
