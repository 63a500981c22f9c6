// Helpers shared by every test suite: temporary directories that clean up
// after themselves, environment variables restored at scope end, and the
// paths of the programs the build produced.
#ifndef NORVEL_TESTS_TEST_ENV_H
#define NORVEL_TESTS_TEST_ENV_H

#include <string>
#include <vector>

namespace testenv {

// A fresh directory under $TMPDIR (or /tmp), removed with all its contents
// when the object goes.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "norvel_test");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name
  std::string file(const std::string& name) const;

 private:
  std::string path_;
};

// Sets (or, with a null value, unsets) one environment variable and puts
// the old value back when the object goes.
class ScopedEnv {
 public:
  ScopedEnv(const std::string& name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  bool had_old_;
  std::string old_;
};

void writeFile(const std::string& path, const std::string& content);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
void makeDirs(const std::string& path);
void removeTree(const std::string& path);
std::vector<std::string> listDir(const std::string& path);

// Number of open file descriptors of this process.
int openDescriptorCount();
// Number of direct child processes of this process (zombies included).
int childProcessCount();

// Paths of the built programs and of the source tree.
std::string sourceDir();
std::string binaryDir();
std::string norvelLibraryPath();
std::string quelbctlPath();
std::string symsimPath();

}  // namespace testenv

#endif  // NORVEL_TESTS_TEST_ENV_H
