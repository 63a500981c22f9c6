#include "json_value.h"

#include "jsonquote.h"

namespace {

void newline(std::string& out, int indent, int depth) {
  if (indent <= 0) return;
  out += '\n';
  out.append(static_cast<size_t>(indent * depth), ' ');
}

}  // namespace

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
      boundedtext::appendJsonQuoted(out, m_text);
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
        boundedtext::appendJsonQuoted(out, member->first);
        out += indent > 0 ? ": " : ":";
        member->second.writeTo(out, indent, depth + 1);
      }
      newline(out, indent, depth);
      out += '}';
      return;
  }
}
