// TextTable: rows printed as aligned columns under upper-case headings, the
// plain form for people (scripts use --json). Columns are separated by two
// blanks; the last column is not padded.
#ifndef QUELBCTL_TEXT_TABLE_H
#define QUELBCTL_TEXT_TABLE_H

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class TextTable {
 public:
  explicit TextTable(std::vector<std::string> headings);

  // A row of as many cells as there are headings (missing cells are empty,
  // extra ones dropped).
  void add(std::initializer_list<std::string_view> row);
  bool empty() const { return m_ends.size() == m_columns; }

  // Prints the headings and the rows; nothing at all without rows.
  void print(FILE* out) const;

 private:
  // The cell at `index` (headings first, then each row's cells in turn).
  std::string_view cell(size_t index) const;

  size_t m_columns;
  // The text of the headings, then of every row, cell after cell, and
  // where each cell ends: a table of tens of thousands of rows is two
  // blocks of memory, not a string object per cell.
  std::string m_text;
  std::vector<size_t> m_ends;
  std::vector<size_t> m_widths;  // of each column, headings included
};

// A byte count as people read it: "4294967296" plainly, or with `human`
// in binary units with one decimal ("4.0 GiB", "512 B").
std::string formatBytes(uint64_t bytes, bool human);

// "1 node" / "2 nodes": the count and the noun, singular for one.
std::string countOf(long count, const char* singular, const char* plural);

#endif  // QUELBCTL_TEXT_TABLE_H
