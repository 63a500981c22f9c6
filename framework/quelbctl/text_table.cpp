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

void TextTable::print(FILE* out) const {
  if (m_rows.empty()) return;
  std::vector<size_t> widths(m_headings.size(), 0);
  for (size_t i = 0; i < m_headings.size(); ++i) widths[i] = width(m_headings[i]);
  for (const auto& row : m_rows)
    for (size_t i = 0; i < row.size() && i < widths.size(); ++i)
      widths[i] = std::max(widths[i], width(row[i]));

  auto printRow = [&](const std::vector<std::string>& row) {
    std::string line;
    for (size_t i = 0; i < widths.size(); ++i) {
      const std::string cell = i < row.size() ? row[i] : std::string();
      line += cell;
      if (i + 1 < widths.size()) line.append(widths[i] - width(cell) + 2, ' ');
    }
    std::fprintf(out, "%s\n", line.c_str());
  };
  printRow(m_headings);
  for (const auto& row : m_rows) printRow(row);
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
