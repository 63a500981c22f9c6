#include "emcsym_pairfile.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <utility>

namespace {

const char kPrefix[] = "hvq_fi";

std::string tempDirectory() {
  const char* dir = std::getenv("TMPDIR");
  std::string path = (dir && *dir) ? dir : "/tmp";
  if (path[path.size() - 1] != '/') path += '/';
  return path;
}

// Creates a fresh file (exclusively, mode 0600) in the temporary directory
// and writes the lines into it, each followed by a line feed. Returns its
// name, empty when none could be made; `created` tells whether the file
// exists (and so must be deleted).
std::string writeTempFile(const std::vector<std::string>& lines, bool* created) {
  *created = false;
  std::string name = tempDirectory() + kPrefix + "XXXXXX";
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  int fd = ::mkstemp(buffer.data());
  if (fd < 0) return std::string();
  name.assign(buffer.data());
  *created = true;
  std::FILE* file = ::fdopen(fd, "w");
  if (!file) {
    ::close(fd);
    return name;
  }
  for (const std::string& line : lines) {
    std::fputs(line.c_str(), file);
    std::fputc('\n', file);
  }
  std::fclose(file);
  return name;
}

void removeFile(const std::string& name) {
  if (!name.empty()) ::unlink(name.c_str());
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
