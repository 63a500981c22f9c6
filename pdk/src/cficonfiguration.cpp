#include "cficonfiguration.h"

#include <ace/Configuration_Import_Export.h>
#include <ace/OS_NS_stdio.h>

#include "cficonfigurationtext.h"
#include "cfiplatform.h"
#include "cfistringtool.h"
#include "cfitempfile.h"

namespace quelb_pdk_4_4 {

namespace {

const wchar_t* const kSourceFile = L"pdk/src/cficonfiguration";
const wchar_t* const kImportFunction = L"quelb_pdk_4_4::CFiConfiguration::importConfig";
const wchar_t* const kConstructorFunction = L"quelb_pdk_4_4::CFiConfiguration::CFiConfiguration";
const wchar_t* const kExportFunction = L"quelb_pdk_4_4::CFiConfiguration::exportConfig";

std::string narrow(const tstring& s) { return CFiStringTool::tstr2str(s); }

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
    if (importConfig(directory, fileName) != 0 && m_fault.empty() &&
        CFiConfigurationPathTool::verify(m_path) != 0)
      exportConfig();
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
  m_fault = SFiConfigurationFault();
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
  std::string why;
  if (!CFiConfigurationText::readFile(path, content, why)) {
    m_fault.kind = "unreadable";
    m_fault.text = why;
    return -1;
  }
  m_fault = CFiConfigurationText::check(content);
  if (!m_fault.empty()) return -1;
  std::string normalized = CFiConfigurationText::normalize(content);
  ACE_Registry_ImpExp importer(m_heap);
  if (normalized == content) return importer.import_config(path.c_str());

  CFiTempFile copy;
  if (!copy.create(std::string(), "hvq_fi_conf") || !copy.write(normalized) || !copy.close()) {
    trace(FI_TRACE_ERROR, "The configuration file %s cannot be read: %s", path.c_str(),
          copy.errorText().c_str());
    return -1;
  }
  int status = importer.import_config(copy.path().c_str());
  copy.remove();
  return status;
}

// The text goes into a new file beside the configuration file, which then
// replaces it: a reader sees the old file or the new one, never a part, and
// a failed write leaves the old file as it was.
int CFiConfiguration::exportConfig() {
  if (!m_heapOpen || m_directory.length() == 0 || m_fileName.length() == 0 || !m_fault.empty())
    return -1;
  std::string text;
  int status = CFiConfigurationText::exportText(m_heap, text);
  if (status != 0) {
    recordError(status, L"Export of configuration failed.", __LINE__, kExportFunction);
    return status;
  }
  const std::string path = narrow(m_path);
  const char separator = static_cast<char>(FI_PATH_SEPARATOR);
  const size_t slash = path.rfind(separator);
  const std::string directory =
      slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
  const std::string prefix =
      (slash == std::string::npos ? path : path.substr(slash + 1)) + ".write";

  CFiTempFile file;
  if (file.create(directory, prefix, CFiTempFile::SHARED) && file.write(text) && file.close() &&
      file.replace(path))
    return 0;
  const std::string reason = file.errorText();
  const int error = file.error();
  file.remove();  // also a completed copy that could not be moved
  trace(FI_TRACE_ERROR, "The configuration file %s cannot be written: %s", path.c_str(),
        reason.c_str());
  recordError(
      error != 0 ? error : -1,
      (L"Writing the configuration file failed: " + CFiStringTool::str2wstr(reason)).c_str(),
      __LINE__, kExportFunction);
  return -1;
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
