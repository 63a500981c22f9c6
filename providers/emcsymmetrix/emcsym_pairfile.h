// CEmcSymPairFile: the device files ("-file") of TimeFinder commands, one
// pair line ("<source device> <target device>") per line, written into the
// temporary directory (CFiTempFile::temporaryDirectory) for the length of
// one operation. Build it on the operation's stack: the destructor deletes
// every file it wrote, on every way out of the operation.
//
// Each file is created exclusively, readable by this user only, under a
// fresh name with the prefix "hvq_fi" (CFiTempFile). A file that cannot be
// created keeps an empty name (and is not written); the command that later
// names it fails and reports. A file that was created but could not be
// written completely (a full disk, a failed write or close) is removed and
// the constructor throws std::runtime_error naming the file and the
// system's reason: the operation ends before any command runs on a
// truncated pair list, and its other files are removed too.
#ifndef EMCSYM_PAIRFILE_H
#define EMCSYM_PAIRFILE_H

#include <map>
#include <string>
#include <vector>

#include "emcsym_records.h"

class CEmcSymPairFile {
 public:
  // Symmetrix ID -> pair lines of that array.
  typedef std::map<std::string, std::vector<std::string> > PairLineMap;

  // Keyed form: one file per Symmetrix ID, in key order, holding that
  // array's lines in list order (an empty list gives an empty file).
  // Throws std::runtime_error when a created file cannot be written.
  explicit CEmcSymPairFile(const PairLineMap& pairLines);
  // Indexed form: one file per pair (sources[i], targets[i]), each holding
  // the line "<source device name> <target device name>". Throws
  // std::runtime_error when the two lists differ in length or a created
  // file cannot be written.
  CEmcSymPairFile(const std::vector<SEmcSymDevInfo>& sources,
                  const std::vector<SEmcSymDevInfo>& targets);
  // Deletes the files it created: the indexed ones in index order, then
  // the keyed ones in key order. Never throws.
  ~CEmcSymPairFile();

  CEmcSymPairFile(const CEmcSymPairFile&) = delete;
  CEmcSymPairFile& operator=(const CEmcSymPairFile&) = delete;

  // Symmetrix ID -> file name (keyed form).
  const std::map<std::string, std::string>& getFilesByKey() const { return m_filesByKey; }
  // Pair index -> file name (indexed form).
  const std::vector<std::string>& getFilesByIndex() const { return m_filesByIndex; }

 private:
  // Deletes the created files once.
  void removeFiles();

  std::map<std::string, bool> m_createdByKey;
  std::vector<bool> m_createdByIndex;
  std::map<std::string, std::string> m_filesByKey;
  std::vector<std::string> m_filesByIndex;
};

#endif  // EMCSYM_PAIRFILE_H
