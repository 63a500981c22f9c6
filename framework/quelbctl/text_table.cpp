#include "text_table.h"

#include <algorithm>

namespace {

// Display width of UTF-8 text: its code points (no wide characters here).
size_t width(const std::string& text) {
  size_t count = 0;
  for (unsigned char c : text)
    if ((c & 0xC0) != 0x80) ++count;
  return count;
}

}  // namespace

TextTable::TextTable(std::vector<std::string> headings)
    : m_headings(std::move(headings)), m_cells(m_headings), m_widths(m_headings.size(), 0) {
  for (size_t i = 0; i < m_headings.size(); ++i) m_widths[i] = width(m_headings[i]);
}

void TextTable::add(std::vector<std::string> row) {
  row.resize(m_headings.size());
  for (size_t i = 0; i < row.size(); ++i) {
    m_widths[i] = std::max(m_widths[i], width(row[i]));
    m_cells.push_back(std::move(row[i]));
  }
}

void TextTable::print(FILE* out) const {
  if (empty() || m_headings.empty()) return;
  const size_t columns = m_headings.size();
  std::string line;
  for (size_t at = 0; at < m_cells.size(); at += columns) {
    line.clear();
    for (size_t i = 0; i < columns; ++i) {
      const std::string& cell = m_cells[at + i];
      line += cell;
      if (i + 1 < columns) line.append(m_widths[i] - width(cell) + 2, ' ');
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
