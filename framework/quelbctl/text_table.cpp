#include "text_table.h"

#include <algorithm>

namespace {

// Display width of UTF-8 text: its code points (no wide characters here).
size_t width(std::string_view text) {
  size_t count = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++count;
  return count;
}

}  // namespace

TextTable::TextTable(std::vector<std::string> headings)
    : m_columns(headings.size()), m_widths(headings.size(), 0) {
  for (size_t i = 0; i < m_columns; ++i) {
    m_widths[i] = width(headings[i]);
    m_text += headings[i];
    m_ends.push_back(m_text.size());
  }
}

void TextTable::add(std::initializer_list<std::string_view> row) {
  auto given = row.begin();
  for (size_t i = 0; i < m_columns; ++i) {
    const std::string_view text = given != row.end() ? *given++ : std::string_view();
    m_widths[i] = std::max(m_widths[i], width(text));
    m_text += text;
    m_ends.push_back(m_text.size());
  }
}

std::string_view TextTable::cell(size_t index) const {
  const size_t begin = index == 0 ? 0 : m_ends[index - 1];
  return std::string_view(m_text).substr(begin, m_ends[index] - begin);
}

void TextTable::print(FILE* out) const {
  if (empty() || m_columns == 0) return;
  std::string line;
  for (size_t at = 0; at < m_ends.size(); at += m_columns) {
    line.clear();
    for (size_t i = 0; i < m_columns; ++i) {
      const std::string_view text = cell(at + i);
      line += text;
      if (i + 1 < m_columns) line.append(m_widths[i] - width(text) + 2, ' ');
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), out);
  }
}

std::string formatBytes(uint64_t bytes, bool human) {
  if (!human) return std::to_string(bytes);
  static const char* const kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
  if (bytes < 1024) return std::to_string(bytes) + " B";
  double value = static_cast<double>(bytes);
  size_t unit = 0;
  while (value >= 1024.0 && unit + 1 < sizeof kUnits / sizeof kUnits[0]) {
    value /= 1024.0;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  return text;
}

std::string countOf(long count, const char* singular, const char* plural) {
  return std::to_string(count) + " " + (count == 1 ? singular : plural);
}
