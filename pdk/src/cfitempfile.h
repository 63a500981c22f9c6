// CFiTempFile: a file made new for one writer. It is created exclusively
// under a fresh name (the prefix and a unique suffix), written, closed, and
// then kept, moved over another file, or removed. The device pair files,
// the configuration writer and the normalised copy of a hand-edited
// configuration file are all written this way.
//
// Every write and the close are checked: a file whose text did not all
// reach the system reports why (error(), errorText()). A file that was not
// completed (not closed successfully) is removed when the object goes, so
// a truncated file never outlives its writer; a completed one is the
// caller's to keep, move or remove.
//
// Temporary directory: $TMPDIR when set, else /tmp (POSIX systems).
//
// Tests can make writes and closes fail (setFault), to prove that a full
// disk is reported and that nothing runs on a truncated file.
#ifndef QLB_PDK_CFITEMPFILE_H
#define QLB_PDK_CFITEMPFILE_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "cfiexport.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiTempFile {
 public:
  // Who may read the file: only this user (PRIVATE), or whoever the
  // process's file-creation mask lets (SHARED, for configuration files).
  enum Access { PRIVATE, SHARED };
  // The steps a fault can be injected into.
  enum Step { STEP_WRITE, STEP_CLOSE };

  CFiTempFile();
  // Removes the file unless it was completed.
  ~CFiTempFile();
  CFiTempFile(const CFiTempFile&) = delete;
  CFiTempFile& operator=(const CFiTempFile&) = delete;

  // Creates the file in `directory` (the temporary directory when empty)
  // under `prefix` followed by a unique suffix. False on failure; path()
  // stays empty then.
  bool create(const std::string& directory, const std::string& prefix, Access access = PRIVATE);
  // Appends all of `text`. False when any of it could not be written.
  bool write(const std::string& text);
  // Closes the file; true only when everything written has reached the
  // system and the file is complete.
  bool close();
  // Moves the completed file over `target`, replacing it; path() becomes
  // `target`. False on failure (the file stays where it was).
  bool replace(const std::string& target);
  // Removes the file, closing it first. False when it cannot be removed.
  bool remove();

  // The file's name; empty before create() and after remove().
  const std::string& path() const { return m_path; }
  bool isComplete() const { return m_complete; }
  // The system error of the last failure; 0 when none, or when the failure
  // was a write or move of a file that was not open or not complete.
  int error() const { return m_error; }
  // What failed and why, for example
  // "cannot write /tmp/hvq_fiAb12Cd: No space left on device".
  std::string errorText() const;

  // Removes a file that an earlier writer completed and kept. Returns 0 or
  // the system error.
  static int removeFile(const std::string& path);

  // The temporary directory, ending in the path separator.
  static std::string temporaryDirectory();

  // A test's fault: returns the system error with which the step fails
  // (written: bytes already written), or 0 to let it run.
  typedef int (*FaultFunction)(const std::string& path, Step step, std::size_t written);
  // Installs a fault (null removes it); returns the previous one.
  static FaultFunction setFault(FaultFunction fault);

 private:
  // The platform file's operations; each returns 0 or the system error.
  // platformCreateNew makes `path` only when no file has that name; when
  // one has, it sets `taken` (and returns the system's "exists" error).
  static int platformCreateNew(const std::string& path, Access access, std::intptr_t& handle,
                               bool& taken);
  static int platformWrite(std::intptr_t handle, const char* data, std::size_t size);
  static int platformClose(std::intptr_t handle);
  static int platformReplace(const std::string& from, const std::string& to);
  static int platformRemove(const std::string& path);
  static const std::intptr_t kNoHandle;

  bool fail(const char* step, const std::string& subject, int error);
  int injectedFault(Step step) const;

  std::string m_path;
  std::string m_subject;  // what the failed step acted on
  std::intptr_t m_handle;
  std::size_t m_written;
  bool m_complete;
  bool m_failed;  // a write failed: the file can no longer be completed
  int m_error;
  const char* m_failedStep;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFITEMPFILE_H
