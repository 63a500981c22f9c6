// JsonValue: a JSON document built in memory and written as text. quelbctl's
// one JSON writer: every --json answer is one JsonValue printed with
// write().
//
// Objects keep their members in insertion order, so the documented field
// order is the printed one. Text is taken as UTF-8 and written as valid
// JSON: quotes, backslashes and control characters are escaped, and a byte
// sequence that is not UTF-8 (a tool may print anything) is replaced by
// U+FFFD rather than passed on.
#ifndef QUELBCTL_JSON_VALUE_H
#define QUELBCTL_JSON_VALUE_H

#include <cstdint>
#include <list>
#include <string>
#include <utility>

class JsonValue {
 public:
  enum Type { NUL, BOOLEAN, NUMBER, STRING, ARRAY, OBJECT };

  JsonValue() : m_type(NUL) {}
  JsonValue(bool value) : m_type(BOOLEAN), m_boolean(value) {}     // NOLINT: implicit on purpose
  JsonValue(int value) : m_type(NUMBER), m_number(value) {}        // NOLINT
  JsonValue(long value) : m_type(NUMBER), m_number(value) {}       // NOLINT
  JsonValue(long long value) : m_type(NUMBER), m_number(value) {}  // NOLINT
  JsonValue(unsigned value) : m_type(NUMBER), m_number(value) {}   // NOLINT
  JsonValue(unsigned long value)
      : m_type(NUMBER), m_number(static_cast<int64_t>(value)) {}  // NOLINT
  JsonValue(unsigned long long value)                             // NOLINT
      : m_type(NUMBER), m_number(static_cast<int64_t>(value)) {}
  JsonValue(const char* text) : m_type(STRING), m_text(text ? text : "") {}  // NOLINT
  JsonValue(const std::string& text) : m_type(STRING), m_text(text) {}       // NOLINT

  static JsonValue array() { return JsonValue(ARRAY); }
  static JsonValue object() { return JsonValue(OBJECT); }

  Type type() const { return m_type; }

  // Appends to an array (a null value becomes an empty array first).
  // Returns the item; pass a temporary (or std::move) to add it without
  // a copy.
  JsonValue& push(JsonValue item);
  // Sets an object member, replacing one of the same name (a null value
  // becomes an empty object first). Returns the member.
  JsonValue& set(const std::string& name, JsonValue value);

  // The document as text; `indent` spaces per level, 0 for one line.
  std::string write(int indent = 2) const;

 private:
  explicit JsonValue(Type type) : m_type(type) {}
  void writeTo(std::string& out, int indent, int depth) const;

  Type m_type;
  bool m_boolean = false;
  int64_t m_number = 0;
  std::string m_text;
  // Lists: a reference that push() or set() returned stays valid while
  // more items and members are added, and an empty list allocates nothing
  // (a document of tens of thousands of nodes holds that many values).
  std::list<JsonValue> m_items;
  std::list<std::pair<std::string, JsonValue> > m_members;
};

#endif  // QUELBCTL_JSON_VALUE_H
