// Helpers of every test suite: self-removing temporary directories, scoped environment variables,
// and the built programs' paths. Portable part in test_env.cpp, system calls in test_env_posix.cpp
// and test_env_windows.cpp.
#ifndef NORVEL_TESTS_TEST_ENV_H
#define NORVEL_TESTS_TEST_ENV_H

#include <optional>
#include <string>
#include <vector>

namespace testenv {

// A fresh directory under $TMPDIR (else /tmp; on Windows %TMP%), removed with its contents.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "norvel_test");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const;  // path() + "/" + name, as nativePath gives it

 private:
  std::string path_;
};

// Sets (with a null value unsets) one environment variable; the old value comes back at the end.
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
// u_cleanup, when no ICU object is left: ICU keeps a message bundle mapped after its last user, and
// Windows cannot delete a mapped file.
void releaseIcuFiles();
// Copies the directory `from` with its contents to `to`; throws std::runtime_error on failure.
void copyTree(const std::string& from, const std::string& to);

// The owner/group/others bits of `path`, and those a new directory gets (0777 less the umask); none
// on Windows (access control lists) or for a missing path.
std::optional<unsigned> permissionBits(const std::string& path);
std::optional<unsigned> defaultDirectoryBits();

std::string hostName();  // on Windows the computer name

// The ids the system gives this process and the calling thread (getpid and gettid;
// GetCurrentProcessId and GetCurrentThreadId on Windows), as traced lines carry them.
unsigned long processId();
unsigned long threadId();

int openDescriptorCount();  // POSIX systems only (the pipe's tests)
int childProcessCount();    // direct children; on POSIX systems zombies included

extern const char* const kExeSuffix;  // "" or ".exe"
extern const char kPathSeparator;     // the kit's: '/' or '\\'
// `path` with each "/" made kPathSeparator: a path as the kit builds it.
std::string nativePath(const std::string& path);
// Names the temporary files' directory, which the kit follows: TMPDIR, on Windows TMP.
extern const char* const kTempDirVariable;

std::string binaryDir();
std::string norvelLibraryPath();
std::string quelbutilLibraryPath();
std::string quelbctlPath();
std::string symsimPath();

}  // namespace testenv

#endif  // NORVEL_TESTS_TEST_ENV_H
