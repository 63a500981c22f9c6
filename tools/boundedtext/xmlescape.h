// Escaping of text for XML element content and attribute values.
#ifndef BOUNDEDTEXT_XMLESCAPE_H
#define BOUNDEDTEXT_XMLESCAPE_H

#include <string>

namespace boundedtext {

// `text` with "&", "<", ">", the double quote and "'" replaced by "&amp;",
// "&lt;", "&gt;", "&quot;" and "&#39;", and a carriage return by "&#13;".
// One pass over the text; the result is what replacing "&" first and then
// the others in that order gives, since no reference written contains a
// character replaced after it. The carriage return goes as a reference
// because a reader turns a literal one into a line feed: only the
// reference brings it back. Every other byte (UTF-8 sequences included) is
// kept as it is.
std::string xmlEscape(const std::string& text);

}  // namespace boundedtext

#endif  // BOUNDEDTEXT_XMLESCAPE_H
