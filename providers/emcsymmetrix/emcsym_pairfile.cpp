#include "emcsym_pairfile.h"

#include <stdexcept>
#include <utility>

#include "cfitempfile.h"

using quelb_pdk_4_4::CFiTempFile;

namespace {

const char kPrefix[] = "hvq_fi";

// Creates a fresh file in the temporary directory and writes the lines
// into it, each followed by a line feed. Returns its name, empty when none
// could be created; `created` tells whether the file exists (and so must be
// deleted). A file that was created but could not be written completely is
// removed and reported by std::runtime_error, so that no command runs on
// a truncated pair list.
std::string writeTempFile(const std::vector<std::string>& lines, bool* created) {
  *created = false;
  CFiTempFile file;
  if (!file.create(std::string(), kPrefix)) return std::string();
  std::string text;
  for (const std::string& line : lines) {
    text += line.c_str();
    text += '\n';
  }
  if (!file.write(text) || !file.close()) {
    const std::string reason = file.errorText();
    throw std::runtime_error("The device pair file could not be written (" + reason +
                             "); it was removed and no command runs on it.");
  }
  *created = true;
  return file.path();
}

void removeFile(const std::string& name) {
  if (!name.empty()) CFiTempFile::removeFile(name);
}

}  // namespace

CEmcSymPairFile::CEmcSymPairFile(const PairLineMap& pairLines) {
  try {
    for (const auto& entry : pairLines) {
      m_createdByKey[entry.first] = false;
      std::string& name = m_filesByKey[entry.first];
      bool created = false;
      name = writeTempFile(entry.second, &created);
      m_createdByKey[entry.first] = created;
    }
  } catch (...) {
    removeFiles();
    throw;
  }
}

CEmcSymPairFile::CEmcSymPairFile(const std::vector<SEmcSymDevInfo>& sources,
                                 const std::vector<SEmcSymDevInfo>& targets) {
  if (sources.size() != targets.size()) {
    throw std::runtime_error("device pair file: " + std::to_string(sources.size()) +
                             " source devices but " + std::to_string(targets.size()) +
                             " target devices");
  }
  m_filesByIndex.reserve(sources.size());
  m_createdByIndex.reserve(sources.size());
  try {
    for (size_t i = 0; i < sources.size(); ++i) {
      bool created = false;
      std::vector<std::string> line(1, sources[i].devName + " " + targets[i].devName);
      std::string name = writeTempFile(line, &created);
      // Both reserved and the name moved: nothing below can throw once the
      // file exists.
      m_filesByIndex.push_back(std::move(name));
      m_createdByIndex.push_back(created);
    }
  } catch (...) {
    removeFiles();
    throw;
  }
}

CEmcSymPairFile::~CEmcSymPairFile() { removeFiles(); }

void CEmcSymPairFile::removeFiles() {
  for (size_t i = 0; i < m_filesByIndex.size(); ++i) {
    if (m_createdByIndex[i]) removeFile(m_filesByIndex[i]);
  }
  for (const auto& entry : m_filesByKey) {
    if (m_createdByKey[entry.first]) removeFile(entry.second);
  }
  m_createdByIndex.assign(m_createdByIndex.size(), false);
  for (auto& entry : m_createdByKey) entry.second = false;
}
