// TextTable: rows printed as aligned columns under upper-case headings, the
// plain form for people (scripts use --json). Columns are separated by two
// blanks; the last column is not padded.
#ifndef QUELBCTL_TEXT_TABLE_H
#define QUELBCTL_TEXT_TABLE_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class TextTable {
 public:
  explicit TextTable(std::vector<std::string> headings);

  // A row of as many cells as there are headings (missing cells are empty,
  // extra ones dropped).
  void add(std::vector<std::string> row);
  bool empty() const { return m_cells.size() == m_headings.size(); }

  // Prints the headings and the rows; nothing at all without rows.
  void print(FILE* out) const;

 private:
  std::vector<std::string> m_headings;
  // The headings, then every row, one cell after the other: tables of tens
  // of thousands of rows are kept in one vector.
  std::vector<std::string> m_cells;
  std::vector<size_t> m_widths;  // of each column, headings included
};

// A byte count as people read it: "4294967296" plainly, or with `human`
// in binary units with one decimal ("4.0 GiB", "512 B").
std::string formatBytes(uint64_t bytes, bool human);

// "1 node" / "2 nodes": the count and the noun, singular for one.
std::string countOf(long count, const char* singular, const char* plural);

#endif  // QUELBCTL_TEXT_TABLE_H
