// Helpers shared by every test suite: temporary directories that clean up
// after themselves, environment variables restored at scope end, and the
// paths of the programs the build produced. The same on every platform:
// test_env.cpp holds the portable part, test_env_posix.cpp and
// test_env_windows.cpp what calls the operating system.
#ifndef NORVEL_TESTS_TEST_ENV_H
#define NORVEL_TESTS_TEST_ENV_H

#include <optional>
#include <string>
#include <vector>

namespace testenv {

// A fresh directory under the system's temporary directory ($TMPDIR, else
// /tmp; on Windows %TMP%), removed with all its contents
// when the object goes.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix = "norvel_test");
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + name, as nativePath gives it
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
// Ends ICU's use of the data files it opened (u_cleanup): ICU keeps a
// message bundle mapped after its last user is gone, and Windows cannot
// delete a mapped file. Only when no ICU object is left.
void releaseIcuFiles();
// Copies the directory `from` with everything in it to `to`; throws
// std::runtime_error when it cannot.
void copyTree(const std::string& from, const std::string& to);

// The permission bits (owner, group, others) of `path`; none on Windows,
// which keeps access rights in access control lists, or when `path` does
// not exist.
std::optional<unsigned> permissionBits(const std::string& path);
// The permission bits a new directory gets (0777 less the umask); none on
// Windows.
std::optional<unsigned> defaultDirectoryBits();

// This machine's host name, as the system reports it (on Windows the
// computer name).
std::string hostName();
// The first IPv4 address `host` resolves to, dotted; empty when it resolves
// to none.
std::string hostAddress(const std::string& host);

// Number of open file descriptors (on Windows: handles) of this process.
int openDescriptorCount();
// Number of direct child processes of this process (on POSIX systems
// zombies included).
int childProcessCount();

// The suffix of executable file names: "" on POSIX systems, ".exe" on
// Windows.
extern const char* const kExeSuffix;
// The separator the kit puts into paths: '/' on POSIX systems, '\\' on
// Windows.
extern const char kPathSeparator;
// `path` with each "/" made kPathSeparator: a path as the kit builds it.
std::string nativePath(const std::string& path);
// The environment variable naming the directory of temporary files, which
// the kit's temporary files follow: TMPDIR on POSIX systems, TMP on Windows.
extern const char* const kTempDirVariable;

// Paths of the built programs and of the source tree.
std::string sourceDir();
std::string binaryDir();
std::string norvelLibraryPath();
std::string quelbutilLibraryPath();
std::string quelbctlPath();
std::string symsimPath();

}  // namespace testenv

#endif  // NORVEL_TESTS_TEST_ENV_H
