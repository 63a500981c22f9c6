// Helpers shared by the libFuzzer targets: property checks, the input as
// lines or wide text, and a scratch directory for the targets that read
// files.
#ifndef NORVEL_FUZZ_UTIL_H
#define NORVEL_FUZZ_UTIL_H

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "utf8.h"

namespace fuzz {

// Ends the run with a finding when a property does not hold.
inline void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

// The first byte picks what to exercise; the rest is the text.
struct Input {
  Input(const uint8_t* data, std::size_t size)
      : selector(size ? data[0] : 0),
        text(size ? std::string(reinterpret_cast<const char*>(data + 1), size - 1)
                  : std::string()) {}
  unsigned selector;
  std::string text;
};

// The text as a tool's output reaches the runner: lines without their
// line feeds (a carriage return before one goes too).
inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(begin, end - begin);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
    begin = end + 1;
  }
  return out;
}

inline std::wstring wide(const std::string& text) { return boundedtext::utf8ToWide(text); }

// A directory of the process's own, made on first use and removed at exit.
class ScratchDir {
 public:
  static const std::string& path() {
    static ScratchDir dir;
    return dir.m_path;
  }
  static std::string file(const std::string& name) { return path() + "/" + name; }
  static void write(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
  }

 private:
  ScratchDir() {
    char name[] = "/tmp/norvel_fuzz_XXXXXX";
    if (mkdtemp(name)) m_path = name;
    check(!m_path.empty(), "scratch directory");
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  std::string m_path;
};

}  // namespace fuzz

#endif  // NORVEL_FUZZ_UTIL_H
