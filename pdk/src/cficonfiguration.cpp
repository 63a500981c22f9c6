#include "cficonfiguration.h"

#include <ace/Configuration_Import_Export.h>
#include <ace/OS_NS_stdio.h>
#include <ace/OS_NS_stdlib.h>
#include <ace/OS_NS_unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>

#include "boundedtext.h"
#include "cficonfigurationtext.h"
#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

namespace {

const wchar_t* const kSourceFile = L"pdk/src/cficonfiguration";
const wchar_t* const kImportFunction = L"quelb_pdk_4_4::CFiConfiguration::importConfig";
const wchar_t* const kConstructorFunction = L"quelb_pdk_4_4::CFiConfiguration::CFiConfiguration";

std::string narrow(const tstring& s) { return CFiStringTool::tstr2str(s); }

bool readWholeFile(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream buffer;
  buffer << in.rdbuf();
  content = buffer.str();
  return !in.bad();
}

// A name beside `path` that no other writer of this process or another one
// uses at the same time.
std::string siblingName(const std::string& path, const char* tag) {
  static std::atomic<unsigned> counter{0};
  char suffix[64];
  boundedtext::format(suffix, sizeof suffix, ".%s%ld_%u", tag, static_cast<long>(ACE_OS::getpid()),
                      counter.fetch_add(1));
  return path + suffix;
}

}  // namespace

CFiConfiguration::CFiConfiguration() : m_heapOpen(false) { openHeap(); }

CFiConfiguration::CFiConfiguration(const tstring& directory, const tstring& fileName, bool import)
    : m_heapOpen(false) {
  openHeap();
  setLocation(directory, fileName);
  if (import && m_heapOpen) importConfig(directory, fileName);
}

CFiConfiguration::CFiConfiguration(const tstring& name) : m_heapOpen(false), m_name(name) {
  openHeap();
  if (!m_heapOpen) return;
  try {
    tstring directory;
    tstring fileName;
    CFiConfigurationPathTool::getConfigFileInfo(name, directory, fileName);
    if (importConfig(directory, fileName) != 0) exportConfig();
  } catch (const CFiError& error) {
    setLastError(error);
  }
}

CFiConfiguration::~CFiConfiguration() {}

void CFiConfiguration::openHeap() {
  int status = m_heap.open(16);
  if (status != 0) {
    recordError(status, L"Failed to open configuration heap", __LINE__, kConstructorFunction);
    return;
  }
  m_heapOpen = true;
  m_currentSection = m_heap.root_section();
}

void CFiConfiguration::setLocation(const tstring& directory, const tstring& fileName) {
  m_directory = directory;
  m_fileName = fileName;
  m_path = directory + fileName;
}

void CFiConfiguration::recordError(int status, const wchar_t* text, int line,
                                   const wchar_t* function) {
  setLastError(CFiError(status, tstring(text), tstring(kSourceFile), line, tstring(function)));
}

int CFiConfiguration::importConfig(const tstring& directory, const tstring& fileName) {
  setLocation(directory, fileName);
  int status = CFiConfigurationPathTool::verify(directory);
  if (status != 0) {
    recordError(status, L"Configuration path verification failed", __LINE__, kImportFunction);
    return status;
  }
  status = CFiConfigurationPathTool::verify(m_path);
  if (status != 0) {
    recordError(status, L"Configuration path succeeded but no configuration file exists.", __LINE__,
                kImportFunction);
    return status;
  }
  status = importFile(narrow(m_path));
  if (status != 0) {
    recordError(status, L"Import of configuration file failed.", __LINE__, kImportFunction);
    return status;
  }
  return 0;
}

// ACE's reader takes the file as it is when it is already in the strict
// form; otherwise it reads a normalised private copy in the temporary
// directory, removed right after.
int CFiConfiguration::importFile(const std::string& path) {
  if (!m_heapOpen) return -1;
  std::string content;
  if (!readWholeFile(path, content)) return -1;
  std::string normalized = CFiConfigurationText::normalize(content);
  ACE_Registry_ImpExp importer(m_heap);
  if (normalized == content) return importer.import_config(path.c_str());

  const char* tmp = ACE_OS::getenv("TMPDIR");
  std::string copy = std::string(tmp && *tmp ? tmp : "/tmp") + "/hvq_fi_confXXXXXX";
  ACE_HANDLE handle = ACE_OS::mkstemp(&copy[0]);
  if (handle == ACE_INVALID_HANDLE) return -1;
  ssize_t written = ACE_OS::write_n(handle, normalized.data(), normalized.size());
  ACE_OS::close(handle);
  int status = -1;
  if (written == static_cast<ssize_t>(normalized.size()))
    status = importer.import_config(copy.c_str());
  ACE_OS::unlink(copy.c_str());
  return status;
}

int CFiConfiguration::exportConfig() {
  if (!m_heapOpen || m_path.length() == 0) return -1;
  const std::string path = narrow(m_path);
  const std::string next = siblingName(path, "write");
  ACE_Registry_ImpExp exporter(m_heap);
  int status = exporter.export_config(next.c_str());
  if (status == 0 && ACE_OS::rename(next.c_str(), path.c_str()) != 0) status = -1;
  if (status != 0) ACE_OS::unlink(next.c_str());
  return status;
}

int CFiConfiguration::openSection(const tstring& name, ACE_Configuration_Section_Key& key,
                                  bool create) {
  if (!m_heapOpen) return -1;
  return openSection(m_heap.root_section(), name, key, create);
}

int CFiConfiguration::openSection(const ACE_Configuration_Section_Key& base, const tstring& name,
                                  ACE_Configuration_Section_Key& key, bool create) {
  if (!m_heapOpen) return -1;
  ACE_Configuration_Section_Key opened;
  int status = m_heap.open_section(base, narrow(name).c_str(), create ? 1 : 0, opened);
  if (status != 0) return status;
  key = opened;
  m_currentSection = opened;
  return 0;
}

int CFiConfiguration::enumerateSections(std::vector<tstring>& names) {
  return enumerateSections(names, m_currentSection);
}

int CFiConfiguration::enumerateSections(std::vector<tstring>& names,
                                        const ACE_Configuration_Section_Key& base) {
  if (!m_heapOpen) return 0;
  ACE_TString name;
  for (int index = 0; m_heap.enumerate_sections(base, index, name) == 0; ++index)
    names.push_back(CFiStringTool::str2tstr(name.c_str()));
  return 0;
}

int CFiConfiguration::getStringValue(const tstring& name, tstring& value) {
  if (!m_heapOpen) return -1;
  ACE_TString stored;
  int status = m_heap.get_string_value(m_currentSection, narrow(name).c_str(), stored);
  if (status != 0) return status;
  value = CFiStringTool::str2tstr(CFiConfigurationText::unescapeValue(stored.c_str()));
  return 0;
}

int CFiConfiguration::setStringValue(const tstring& name, const tstring& value) {
  if (!m_heapOpen) return -1;
  std::string encoded = CFiConfigurationText::escapeValue(narrow(value));
  return m_heap.set_string_value(m_currentSection, narrow(name).c_str(),
                                 ACE_TString(encoded.c_str()));
}

int CFiConfiguration::getIntegerValue(const tstring& name, uint32_t& value) {
  if (!m_heapOpen) return -1;
  u_int stored = 0;
  int status = m_heap.get_integer_value(m_currentSection, narrow(name).c_str(), stored);
  if (status != 0) return status;
  value = stored;
  return 0;
}

int CFiConfiguration::setIntegerValue(const tstring& name, uint32_t value) {
  if (!m_heapOpen) return -1;
  return m_heap.set_integer_value(m_currentSection, narrow(name).c_str(), value);
}

int CFiConfiguration::getStringValue(const tstring& section, const tstring& name, tstring& value) {
  ACE_Configuration_Section_Key key;
  int status = openSection(section, key, true);
  if (status != 0) return status;
  return getStringValue(name, value);
}

int CFiConfiguration::getIntegerValue(const tstring& section, const tstring& name,
                                      uint32_t& value) {
  ACE_Configuration_Section_Key key;
  int status = openSection(section, key, true);
  if (status != 0) return status;
  return getIntegerValue(name, value);
}

}  // namespace quelb_pdk_4_4
