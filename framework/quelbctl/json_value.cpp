#include "json_value.h"

#include <cstdio>

namespace {

// Length of the UTF-8 sequence that starts at `at`, or 0 when the bytes
// there are no well-formed sequence (overlong forms, surrogates and code
// points above U+10FFFF included).
size_t utf8Length(const std::string& text, size_t at) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  size_t length = 0;
  uint32_t minimum = 0;
  uint32_t code = 0;
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    minimum = 0x80;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    minimum = 0x800;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    minimum = 0x10000;
    code = lead & 0x07;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    const unsigned char next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

void newline(std::string& out, int indent, int depth) {
  if (indent <= 0) return;
  out += '\n';
  out.append(static_cast<size_t>(indent * depth), ' ');
}

// Appends `text` as a JSON string literal to `out`.
void appendQuoted(std::string& out, const std::string& text) {
  out += '"';
  for (size_t at = 0; at < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
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
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else if (c < 0x80) {
          out += static_cast<char>(c);
        } else {
          const size_t length = utf8Length(text, at);
          if (length == 0) {
            out += "\xEF\xBF\xBD";  // U+FFFD for a byte that is no UTF-8
            ++at;
            continue;
          }
          out.append(text, at, length);
          at += length;
          continue;
        }
    }
    ++at;
  }
  out += '"';
}

}  // namespace

std::string jsonQuote(const std::string& text) {
  std::string out;
  appendQuoted(out, text);
  return out;
}

JsonValue& JsonValue::push(JsonValue item) {
  if (m_type == NUL) m_type = ARRAY;
  m_items.push_back(std::move(item));
  return m_items.back();
}

JsonValue& JsonValue::set(const std::string& name, JsonValue value) {
  if (m_type == NUL) m_type = OBJECT;
  for (auto& member : m_members) {
    if (member.first == name) {
      member.second = std::move(value);
      return member.second;
    }
  }
  m_members.emplace_back(name, std::move(value));
  return m_members.back().second;
}

std::string JsonValue::write(int indent) const {
  std::string out;
  writeTo(out, indent, 0);
  out += '\n';
  return out;
}

void JsonValue::writeTo(std::string& out, int indent, int depth) const {
  switch (m_type) {
    case NUL:
      out += "null";
      return;
    case BOOLEAN:
      out += m_boolean ? "true" : "false";
      return;
    case NUMBER:
      out += std::to_string(m_number);
      return;
    case STRING:
      appendQuoted(out, m_text);
      return;
    case ARRAY:
      if (m_items.empty()) {
        out += "[]";
        return;
      }
      out += '[';
      for (auto item = m_items.begin(); item != m_items.end(); ++item) {
        if (item != m_items.begin()) out += ',';
        newline(out, indent, depth + 1);
        item->writeTo(out, indent, depth + 1);
      }
      newline(out, indent, depth);
      out += ']';
      return;
    case OBJECT:
      if (m_members.empty()) {
        out += "{}";
        return;
      }
      out += '{';
      for (auto member = m_members.begin(); member != m_members.end(); ++member) {
        if (member != m_members.begin()) out += ',';
        newline(out, indent, depth + 1);
        appendQuoted(out, member->first);
        out += indent > 0 ? ": " : ":";
        member->second.writeTo(out, indent, depth + 1);
      }
      newline(out, indent, depth);
      out += '}';
      return;
  }
}
