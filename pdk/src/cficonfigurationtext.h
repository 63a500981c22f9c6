// CFiConfigurationText: makes configuration files that people edit by hand
// safe to read with ACE's registry import, and string values safe to write
// with its export.
//
// ACE's reader drops a last line that has no line end, ignores a value line
// with blanks around "=" or before the opening quote, and its writer puts a
// string value between quotes unchanged, so a value holding a line end
// breaks the file. normalize() rewrites a file text into the strict form the
// reader takes without loss; escapeValue()/unescapeValue() encode the
// characters a value line cannot hold. exportText() writes a configuration
// as ACE's registry export does, into memory, so that the writer can check
// every write of the file itself.
//
// ACE's reader also skips, without a word, every line it does not
// understand, so a mistyped file silently reads as one without the
// settings. check() finds the first such line, so that a file that exists
// but cannot be used is reported (with its line) instead.
#ifndef QLB_PDK_CFICONFIGURATIONTEXT_H
#define QLB_PDK_CFICONFIGURATIONTEXT_H

#include <ace/Configuration.h>

#include <string>

#include "cfiexport.h"

namespace quelb_pdk_4_4 {

// Why a configuration file that exists cannot be used; kind empty when it
// can. The kinds are keywords that message texts select their wording by:
//   "unreadable"  the file cannot be read (text: the system's reason), or
//                 it holds a NUL byte (text: the line, and that the file
//                 must be text in ASCII or UTF-8)
//   "section"     a "[" line without its closing "]" or with an empty name
//   "value"       a "NAME"= line whose value is no "text", dword:<1 to 8
//                 hex digits> or hex:<hex bytes separated by commas>
//   "orphan"      a value line before the first section
//   "line"        any other line that is no section, value, comment (";" or
//                 "#") or blank line
// For the line kinds, line is the 1-based line number and text the line as
// written (without its line end).
struct QLB_PDK_EXPORT SFiConfigurationFault {
  std::string kind;
  int line = 0;
  std::string text;

  bool empty() const { return kind.empty(); }
};

class QLB_PDK_EXPORT CFiConfigurationText {
 public:
  // The text with every line ended by a line feed (carriage returns before
  // it removed), a UTF-8 byte-order mark at its start removed, leading
  // blanks and tabs removed, and every value line
  // ("name" = value) written as "name"=value. A string value whose closing
  // quote is missing gets one. Section, comment and other lines are kept.
  static std::string normalize(const std::string& text);

  // The first line of `text` that the reader would skip or refuse, after
  // the forgiving rewrite of normalize(); an empty fault when every line
  // is a blank line, a comment, a section or a value. A text holding a NUL
  // byte anywhere, even in a comment, is refused whole ("unreadable").
  static SFiConfigurationFault check(const std::string& text);

  // Reads the whole file at `path` into `text`. False, with the reason in
  // `why`, when it cannot be opened or read, is no regular file (a device
  // or a pipe would never end or block the open) or holds more than
  // MAX_FILE_BYTES (configuration files are a few kilobytes).
  static constexpr size_t MAX_FILE_BYTES = 1024 * 1024;
  static bool readFile(const std::string& path, std::string& text, std::string& why);

  // Encodes "%" as "%25", line feed as "%0A" and carriage return as "%0D";
  // every other character is kept.
  static std::string escapeValue(const std::string& value);
  // The reverse. Only the three sequences above are decoded (hexadecimal
  // digits in either case); any other "%" is kept, so hand-written values
  // such as "100%" read back as written.
  static std::string unescapeValue(const std::string& value);

  // The text of ACE's registry export of `config` (the same sections,
  // values and order; values of the root section are not exported, as
  // ACE's export leaves them out). 0 on success, or the negative status
  // ACE's export gives when a value or section cannot be read.
  static int exportText(const ACE_Configuration& config, std::string& text);
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFICONFIGURATIONTEXT_H
