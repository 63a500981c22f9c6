// Configuration files and installation paths.
//
// CFiConfiguration holds one configuration file in memory (an ACE
// configuration heap): it imports the file, writes it back, and reads and
// writes named values in named sections. The file is ACE's registry
// import/export text: "[SECTION]" lines, then one "name"="string" or
// "name"=dword:0000000a line per value.
//
// CFiConfigurationPathTool computes the locations under the installation
// directory (configuration, trace, message and cache files) and creates
// their directories.
//
// CFiLastError keeps the last CFiError an object recorded.
#ifndef QLB_PDK_CFICONFIGURATION_H
#define QLB_PDK_CFICONFIGURATION_H

#include <ace/Configuration.h>

#include <cstdint>
#include <vector>

#include "cficonfigurationtext.h"
#include "cfierror.h"
#include "cfiexport.h"
#include "cfitraceable.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

struct SFiCredential;  // cficredentials.h

class QLB_PDK_EXPORT CFiLastError {
 public:
  virtual ~CFiLastError() {}

  // Keeps a copy of the error as the last one.
  void setLastError(const CFiError& error) { m_lastError = error; }
  // The last error recorded; code 0 and empty texts when there was none.
  const CFiError& getLastError() const { return m_lastError; }

 private:
  CFiError m_lastError;
};

// Hand-edited files are read safely: a last line without a line end, blanks
// around "=" and indented value lines are accepted. A file that exists but
// cannot be read, or holds a line the reader would skip, is not imported
// at all: fault() says why, and exportConfig() refuses to write over it,
// so that a mistyped file is reported and never replaced (nothing the
// user wrote is lost). String values are
// stored in the heap (and so in the file) with "%", line feed and carriage
// return encoded as "%25", "%0A" and "%0D"; the value operations encode and
// decode, so every value reads back exactly as it was set. Whoever works on
// configHeap() directly sees the encoded form.
class QLB_PDK_EXPORT CFiConfiguration : public virtual CFiLastError, public virtual CFiTraceable {
 public:
  // An empty configuration; nothing is read.
  CFiConfiguration();
  // Sets directory, file name and path; imports the file when `import`.
  CFiConfiguration(const tstring& directory, const tstring& fileName, bool import);
  // The configuration file of the name (<install>/ConfigFiles/<name>.conf):
  // imports it, or, when it does not exist, writes the empty configuration
  // so that the file exists afterwards (the import's error stays the last
  // error). A file that exists but cannot be used is left as it is, and so
  // is everything when no install path is known (see
  // CFiConfigurationPathTool): this object then only holds defaults.
  explicit CFiConfiguration(const tstring& name);
  virtual ~CFiConfiguration();

  CFiConfiguration(const CFiConfiguration&) = delete;
  CFiConfiguration& operator=(const CFiConfiguration&) = delete;

  // Reads directory + file name into the heap (adding to what it holds).
  // 0 on success; otherwise the status, with the last error set. A file
  // that exists but cannot be read or holds a bad line adds nothing and
  // sets fault().
  int importConfig(const tstring& directory, const tstring& fileName);
  // Writes the heap to the path. The file is replaced in one step (written
  // beside it, then renamed), so a failed write never leaves half a file.
  // Every write and the close are checked: on failure (a full disk, say)
  // the old file stays as it was, nothing is left beside it, the last
  // error names the file and the system's reason, and the result is
  // non-zero.
  // Refused (-1, nothing written) without a directory or after an import
  // that found a fault.
  int exportConfig();

  // Why the last import could not use an existing file; empty otherwise.
  const SFiConfigurationFault& fault() const { return m_fault; }

  // Opens (with `create`, creates in memory) a section under the root, or
  // under `base`; the name may hold a path ("A\B"). On success the section
  // becomes the current section. 0 on success.
  int openSection(const tstring& name, ACE_Configuration_Section_Key& key, bool create);
  int openSection(const ACE_Configuration_Section_Key& base, const tstring& name,
                  ACE_Configuration_Section_Key& key, bool create);

  // Makes an open section the current section.
  void setCurrentSection(const ACE_Configuration_Section_Key& key) { m_currentSection = key; }

  // Names of the direct subsections of the current section, or of `base`,
  // in the heap's order. Returns 0.
  int enumerateSections(std::vector<tstring>& names);
  int enumerateSections(std::vector<tstring>& names, const ACE_Configuration_Section_Key& base);

  // Values of the current section. 0 on success; non-zero when the value
  // is missing or has another type, and then the out value is untouched.
  int getStringValue(const tstring& name, tstring& value);
  int setStringValue(const tstring& name, const tstring& value);
  int getIntegerValue(const tstring& name, uint32_t& value);
  int setIntegerValue(const tstring& name, uint32_t value);

  // Opens the section under the root (creating it in memory when missing),
  // makes it current and reads the value.
  int getStringValue(const tstring& section, const tstring& name, tstring& value);
  int getIntegerValue(const tstring& section, const tstring& name, uint32_t& value);

  // Array credentials of a vendor and product (cficredentials.cpp).
  std::vector<SFiCredential> importCredentials(const std::string& vendor,
                                               const std::string& product, const tstring& section,
                                               bool openArray);

  ACE_Configuration_Heap& configHeap() { return m_heap; }

  const tstring& name() const { return m_name; }
  const tstring& directory() const { return m_directory; }
  const tstring& fileName() const { return m_fileName; }
  const tstring& path() const { return m_path; }

 private:
  void openHeap();
  void setLocation(const tstring& directory, const tstring& fileName);
  int importFile(const std::string& path);
  void recordError(int status, const wchar_t* text, int line, const wchar_t* function);

  ACE_Configuration_Heap m_heap;
  bool m_heapOpen;
  tstring m_name;
  tstring m_directory;
  tstring m_fileName;
  tstring m_path;
  ACE_Configuration_Section_Key m_currentSection;
  SFiConfigurationFault m_fault;
};

// Locations under the installation directory. Every directory a location
// names is created (mode 0755, missing parents too) when it does not exist;
// creation errors are ignored. No file is created.
//
// The install path always ends in "/" (one is appended when the registry or
// the framework gives a path without it), and every location is the install
// path followed directly by its directory.
//
// Without any install path (no registry value, no install root of the
// framework) every location is empty and no directory is created: the
// library then writes no configuration, trace or cache file rather than
// make every location relative to the working directory of the process
// that loaded it. This departs on purpose from the older rule of relative
// locations, which scattered ConfigFiles/, Logs/ and Messages/ into any
// directory a host was started from.
class QLB_PDK_EXPORT CFiConfigurationPathTool {
 public:
  // "InstallDir64" of HKEY_LOCAL_MACHINE\SOFTWARE\Dravonel\Quelb, or of its
  // subkey named by the framework's consumer name when there is one (only
  // there). Returns 0 when read from the registry; otherwise the registry
  // status, with `path` set to the framework's install root when it was
  // empty and the framework has one. Deliberately, a path without a final
  // "/" gets one: every location is the path with a name appended, and
  // without the separator "/opt/quelb" would give "/opt/quelbLogs/".
  static int getInstallPath(tstring& path);
  // The registry key getInstallPath reads InstallDir64 from
  // ("SOFTWARE\Dravonel\Quelb", or its subkey of the consumer name).
  static tstring getInstallKey();
  // The registry file ("" when the registry is the system's own, not a
  // file), and why it exists but could not be used (empty when it was read
  // or does not exist); for reports at start-up.
  static SFiConfigurationFault getRegistryFault(std::string& registryFile);
  // "ProgramFilesDir" / "ProgramFilesDir (x86)" of
  // HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion; "/opt"
  // when the registry does not name one. Returns the registry status.
  static int getProgramFilesDir(tstring& path);
  static int getProgramFilesX86Dir(tstring& path);

  // <install>/ConfigFiles/ and <name>.conf.
  static int getConfigFileInfo(const tstring& name, tstring& directory, tstring& fileName);
  // <install>/Logs/ and <name>.log.
  static int getTraceFileInfo(const tstring& name, tstring& directory, tstring& fileName);
  // <install>/Messages/ and lib<name>.
  static int getMessageFileInfo(const tstring& name, tstring& directory, tstring& fileName);
  // <install>/CacheFiles/.
  static int getCacheLocationInfo(tstring& directory);

  // Cache files of a device identity string ("UDID##EMC##SYMMETRIX##<serial>##<device>"):
  // <cache>/devHandle/<serial>/ and <cache>/luns/<serial>/ followed by the
  // identity string with every ":" (and "/") replaced by "_". Returns 0; for a text
  // that is no identity string, the parse error code, with the file placed
  // directly in devHandle/ or luns/. Empty without an install path.
  static int getDevKey(const tstring& identity, tstring& path);
  static int getLunKey(const tstring& identity, tstring& path);

  // 0 when the path exists (file or directory); otherwise errno.
  static int verify(const tstring& path);
  // Creates the directory and its missing parents with mode 0755. 0 when it
  // exists afterwards.
  static int createDirectory(const tstring& path);

 private:
  static int locationUnderInstall(const wchar_t* subdirectory, tstring& directory);
  static int cacheKey(const wchar_t* kind, const tstring& identity, tstring& path);
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFICONFIGURATION_H
