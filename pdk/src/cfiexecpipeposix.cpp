#include "cfiexecpipeposix.h"

#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <thread>

#include "cfienvironment.h"
#include "cfiplatform.h"
#include "cfisleep.h"
#include "cfistringtool.h"

extern char** environ;

#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif

namespace quelb_pdk_4_4 {

CFiLock CFiExecPipePosix::m_Lock;

namespace {

const uint32_t kCloseTimeoutSec = 10;
// After the first time-out, WaitPid waits at most this many units.
const uint64_t kWaitCapUnits = 30;
const std::size_t kReadChunk = 64 * 1024;
const unsigned long kDefaultLockWaitMs = 10000;
// Without a pollable child handle, the child is looked at this often.
const int kChildCheckMs = 20;

// Where the forked child failed, as reported through its status pipe.
enum ChildStage { STAGE_FDS = 1, STAGE_CHDIR = 2, STAGE_SWITCH = 3, STAGE_EXEC = 4 };
struct ChildReport {
  int stage;
  int error;
};

uint64_t nowMs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

int clampMs(uint64_t ms) {
  return ms > static_cast<uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(ms);
}

std::string errorText(int error) { return fiSystemErrorText(error); }

// A descriptor this process opened, moved above the standard ones when it
// landed on one (a host that runs with 0, 1 or 2 closed): the child's
// dup2 onto 0, 1 and 2 must never be a no-op that leaves close-on-exec set.
int aboveStandard(int fd) {
  if (fd < 0 || fd > STDERR_FILENO) return fd;
  int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  int error = errno;
  ::close(fd);
  errno = error;
  return moved;
}

// The pipe of the merged output, both ends close-on-exec and above the
// standard descriptors. 0, or the system error (both ends closed then).
int makeOutputPipe(CFiUniqueFd& readEnd, CFiUniqueFd& writeEnd) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return errno;
  writeEnd.reset(fds[1]);
  readEnd.reset(aboveStandard(fds[0]));
  if (!readEnd.valid()) {
    int error = errno;
    writeEnd.reset();
    return error;
  }
  writeEnd.reset(aboveStandard(writeEnd.release()));
  if (!writeEnd.valid()) {
    int error = errno;
    readEnd.reset();
    return error;
  }
  return 0;
}

int pidfdOpen(pid_t pid) {
#ifdef SYS_pidfd_open
  return static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
#else
  (void)pid;
  return -1;
#endif
}

bool isExecutableFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The path to start for an argument 0: a name with "/" as is (relative to
// the current directory), otherwise the first executable of that name in
// PATH. False when nothing of that name exists.
bool resolveExecutable(const std::string& name, std::string& path) {
  if (name.empty()) return false;
  if (name.find('/') != std::string::npos) {
    path = name;
    if (name[0] != '/') {
      std::vector<char> cwd(PATH_MAX);
      if (getcwd(cwd.data(), cwd.size())) path = std::string(cwd.data()) + "/" + name;
    }
    struct stat st;
    return stat(path.c_str(), &st) == 0;
  }
  std::string dirs = fiGetEnvironment("PATH");
  if (dirs.empty()) dirs = "/usr/local/bin:/usr/bin:/bin";
  std::size_t begin = 0;
  while (begin <= dirs.size()) {
    std::size_t end = dirs.find(':', begin);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(begin, end - begin);
    std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
    if (isExecutableFile(candidate)) {
      path = candidate;
      return true;
    }
    begin = end + 1;
  }
  return false;
}

// Every signal whose handling a child must start with by default.
void defaultSignals(sigset_t* set) {
  sigfillset(set);
  sigdelset(set, SIGKILL);
  sigdelset(set, SIGSTOP);
}

// The attributes and file actions of one posix_spawn, destroyed with it.
class SpawnSetup {
 public:
  SpawnSetup() : m_actionsReady(false), m_attrReady(false) {}
  ~SpawnSetup() {
    if (m_attrReady) posix_spawnattr_destroy(&attr);
    if (m_actionsReady) posix_spawn_file_actions_destroy(&actions);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // 0 or the system error.
  int init() {
    int rc = posix_spawn_file_actions_init(&actions);
    if (rc != 0) return rc;
    m_actionsReady = true;
    rc = posix_spawnattr_init(&attr);
    if (rc == 0) m_attrReady = true;
    return rc;
  }

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;

 private:
  bool m_actionsReady;
  bool m_attrReady;
};

// posix_spawn without a user switch. Returns 0 or the system error.
int spawnChild(const std::string& path, char* const argv[], int outFd, int nullFd,
               const std::string& workDir, pid_t& pid) {
  SpawnSetup setup;
  int rc = setup.init();
  if (rc != 0) return rc;
  posix_spawn_file_actions_t& actions = setup.actions;
  posix_spawnattr_t& attr = setup.attr;
  sigset_t none;
  sigset_t defaults;
  sigemptyset(&none);
  defaultSignals(&defaults);
  rc = posix_spawnattr_setflags(
      &attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  if (rc == 0) rc = posix_spawnattr_setpgroup(&attr, 0);
  if (rc == 0) rc = posix_spawnattr_setsigmask(&attr, &none);
  if (rc == 0) rc = posix_spawnattr_setsigdefault(&attr, &defaults);
  if (rc == 0) rc = posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
  if (rc == 0) rc = posix_spawn_file_actions_adddup2(&actions, outFd, STDERR_FILENO);
  if (rc == 0) rc = posix_spawn_file_actions_adddup2(&actions, nullFd, STDIN_FILENO);
  if (rc == 0 && !workDir.empty()) {
    rc = posix_spawn_file_actions_addchdir_np(&actions, workDir.c_str());
  }
  if (rc == 0) rc = posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
  if (rc == 0) rc = posix_spawn(&pid, path.c_str(), &actions, &attr, argv, environ);
  return rc;
}

// The forked child of a user switch: only async-signal-safe calls.
[[noreturn]] void runForkedChild(const char* path, char* const argv[], char* const envp[],
                                 int outFd, int nullFd, const char* workDir, const gid_t* groups,
                                 std::size_t groupCount, uid_t uid, gid_t gid, int reportFd) {
  ChildReport report = {0, 0};
  struct sigaction dfl;
  std::memset(&dfl, 0, sizeof(dfl));
  dfl.sa_handler = SIG_DFL;
  for (int sig = 1; sig < NSIG; ++sig) {
    if (sig != SIGKILL && sig != SIGSTOP) sigaction(sig, &dfl, nullptr);
  }
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  setpgid(0, 0);

  if (dup2(outFd, STDOUT_FILENO) < 0 || dup2(outFd, STDERR_FILENO) < 0 ||
      dup2(nullFd, STDIN_FILENO) < 0) {
    report.stage = STAGE_FDS;
  }
  if (report.stage == 0 && workDir && chdir(workDir) != 0) report.stage = STAGE_CHDIR;
  if (report.stage == 0 &&
      (setgroups(groupCount, groups) != 0 || setgid(gid) != 0 || setuid(uid) != 0)) {
    report.stage = STAGE_SWITCH;
  }
  if (report.stage == 0) {
    // Nothing but the standard descriptors survives exec; the report pipe
    // stays usable until then.
    if (syscall(SYS_close_range, STDERR_FILENO + 1, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
      struct rlimit limit;
      int maxFd = (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < 65536)
                      ? static_cast<int>(limit.rlim_cur)
                      : 65536;
      for (int fd = STDERR_FILENO + 1; fd < maxFd; ++fd) fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    execve(path, argv, envp);
    report.stage = STAGE_EXEC;
  }
  report.error = errno;
  ssize_t ignored = write(reportFd, &report, sizeof(report));
  (void)ignored;
  _exit(127);
}

// fork/exec with a user switch. Returns 0 or the system error; `code` is
// the pipe code of the failure.
int forkChild(const std::string& path, char* const argv[], int outFd, int nullFd,
              const std::string& workDir, const std::vector<gid_t>& groups, uid_t uid, gid_t gid,
              pid_t& pid, int& code) {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return errno;
  CFiUniqueFd reportRead(ends[0]);
  CFiUniqueFd reportWrite(ends[1]);
  pid = fork();
  if (pid < 0) return errno;
  if (pid == 0) {
    runForkedChild(path.c_str(), argv, environ, outFd, nullFd,
                   workDir.empty() ? nullptr : workDir.c_str(), groups.data(), groups.size(), uid,
                   gid, reportWrite.get());
  }
  reportWrite.close();
  setpgid(pid, pid);  // also done by the child; whichever comes first
  ChildReport child = {0, 0};
  ssize_t got;
  do {
    got = read(reportRead.get(), &child, sizeof(child));
  } while (got < 0 && errno == EINTR);
  if (got != static_cast<ssize_t>(sizeof(child))) return 0;  // exec succeeded

  int status;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  pid = -1;
  if (child.stage == STAGE_SWITCH) code = QLB_EXEC_PIPE_CANNOT_IMPERSONATE;
  return child.error != 0 ? child.error : EINVAL;
}

}  // namespace

std::unique_ptr<CFiExecPipeBase> CFiExecPipeBase::create(int autoClose) {
  return std::unique_ptr<CFiExecPipeBase>(new CFiExecPipePosix(autoClose));
}

CFiExecPipePosix::CFiExecPipePosix(int autoClose)
    : CFiExecPipeBase(autoClose), m_timeUnitMs(1000), m_lockWaitMs(kDefaultLockWaitMs) {
  Init();
}

CFiExecPipePosix::CFiExecPipePosix(const std::vector<std::string>& list, int autoClose)
    : CFiExecPipeBase(list, autoClose), m_timeUnitMs(1000), m_lockWaitMs(kDefaultLockWaitMs) {
  Init();
}

CFiExecPipePosix::~CFiExecPipePosix() { Close(kCloseTimeoutSec); }

void CFiExecPipePosix::Init() {
  m_childPid = -1;
  m_pidFd.reset();
  m_readFd.reset();
  m_childWriteFd.reset();
  m_childReaped = false;
  m_statusUnknown = false;
  m_waitStatus = 0;
  m_signalSent = false;
  m_killedByForeignSignal = false;
  m_readClosedEarly = false;
  m_bufferPos = 0;
  m_bufferEnd = 0;
  m_outputEnded = false;
}

bool CFiExecPipePosix::SplitCommandLine(const std::string& line, std::vector<std::string>& args) {
  args.clear();
  if (line.find('\0') != std::string::npos) return false;
  std::string current;
  bool inArgument = false;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '\\' && i + 1 < line.size() && line[i + 1] == '"') {
      current += '"';
      inArgument = true;
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
      inArgument = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (inArgument) args.push_back(current);
      current.clear();
      inArgument = false;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) args.push_back(current);
  if (quoted || args.empty()) {
    args.clear();
    return false;
  }
  return true;
}

int CFiExecPipePosix::ExecPipe(const std::string& command, const std::string& workDir) {
  // A run left open (time-out without auto-close) ends before the next.
  if (m_childPid > 0 || m_readFd.valid()) Close(kCloseTimeoutSec);
  Init();
  m_command = command;

  std::vector<std::string> args;
  if (!SplitCommandLine(command, args)) {
    trace(FI_TRACE_ERROR, "Cannot split the command line [%s]", command.c_str());
    m_lastError = EFiExecPipe(command, QLB_EXEC_PIPE_PARSE_COMMAND_FAILED);
    return QLB_EXEC_PIPE_PARSE_COMMAND_FAILED;
  }
  std::string path;
  if (!resolveExecutable(args[0], path)) {
    trace(FI_TRACE_ERROR, "Executable [%s] does not exist", args[0].c_str());
    m_lastError = EFiExecPipe(command, QLB_EXEC_PIPE_EXE_DOES_NOT_EXIST);
    return QLB_EXEC_PIPE_EXE_DOES_NOT_EXIST;
  }

  const int pipeError = makeOutputPipe(m_readFd, m_childWriteFd);
  if (pipeError != 0) {
    trace(FI_TRACE_ERROR, "pipe2() FAILED with error code (%d)\n", pipeError);
    m_lastError = EFiExecPipe(command, QLB_EXEC_PIPE_CREATE_PIPE_FAILED,
                              CFiStringTool::str2wstr(errorText(pipeError)), pipeError);
    return QLB_EXEC_PIPE_CREATE_PIPE_FAILED;
  }

  try {
    CFiLockHold userSwitch;  // held from the user lookup until the child runs
    SUserSwitch account;
    bool switching = false;
    if (!m_user.empty()) switching = Impersonate(account, userSwitch);
    m_childPid = CreateChildProcess(path, args, m_childWriteFd.get(), workDir,
                                    switching ? &account : nullptr);
  } catch (const EFiExecPipe& e) {
    FlushHandles();
    m_lastError = e;
    trace(FI_TRACE_WARNING, "Execption occured while closing handles");
    return QLB_EXEC_PIPE_CLOSE_HANDLE_FAILED;
  } catch (...) {
    FlushHandles();
    trace(FI_TRACE_WARNING, "Unexpected error encountered.");
    m_lastError = EFiExecPipe(command, QLB_EXEC_PIPE_ERROR_UNEXPECTED);
    return QLB_EXEC_PIPE_ERROR_UNEXPECTED;
  }
  m_pidFd.reset(pidfdOpen(m_childPid));

  int error = m_childWriteFd.close();
  if (error != 0 && error != EINTR) {
    m_lastError = EFiExecPipe(command, QLB_EXEC_PIPE_CLOSE_HANDLE_FAILED);
    trace(FI_TRACE_WARNING, "Close failed with error code [%d]", error);
    return QLB_EXEC_PIPE_CLOSE_HANDLE_FAILED;
  }
  return QLB_EXEC_PIPE_SUCCESS;
}

bool CFiExecPipePosix::Impersonate(SUserSwitch& account, CFiLockHold& hold) {
  uint64_t start = nowMs();
  while (!hold.take(m_Lock)) {
    if (nowMs() - start >= m_lockWaitMs) {
      trace(FI_TRACE_ERROR, "CEFiExecPipe could not impersonate");
      throw EFiExecPipe(m_user, QLB_EXEC_PIPE_IMPERSONATION_TIMEOUT);
    }
    fiSleep(0);
    std::this_thread::yield();
  }

  struct passwd entry;
  struct passwd* found = nullptr;
  std::vector<char> text(16384);
  int rc;
  while ((rc = getpwnam_r(m_user.c_str(), &entry, text.data(), text.size(), &found)) == ERANGE &&
         text.size() < (1u << 20)) {
    text.resize(text.size() * 2);
  }
  if (rc != 0 || !found) {
    throw EFiExecPipe(m_user, QLB_EXEC_PIPE_CANNOT_IMPERSONATE, L"unknown user", rc);
  }
  if (found->pw_uid == geteuid()) return false;  // already that user
  if (geteuid() != 0) {
    throw EFiExecPipe(m_user, QLB_EXEC_PIPE_CANNOT_IMPERSONATE,
                      L"no right to change the user of a process", EPERM);
  }
  account.uid = found->pw_uid;
  account.gid = found->pw_gid;
  int count = 32;
  account.groups.resize(count);
  while (getgrouplist(m_user.c_str(), account.gid, account.groups.data(), &count) < 0) {
    if (count <= static_cast<int>(account.groups.size())) count = account.groups.size() * 2;
    account.groups.resize(count);
  }
  account.groups.resize(count);
  return true;
}

pid_t CFiExecPipePosix::CreateChildProcess(const std::string& path,
                                           const std::vector<std::string>& args, int outFd,
                                           const std::string& workDir, const SUserSwitch* user) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  int error = 0;
  int code = QLB_EXEC_PIPE_CREATE_CHILD_PROCESS_FAILED;
  pid_t pid = -1;
  struct stat st;
  if (!workDir.empty()) {
    if (stat(workDir.c_str(), &st) != 0) {
      error = errno;
    } else if (!S_ISDIR(st.st_mode)) {
      error = ENOTDIR;
    }
  }
  // The child's standard input; held here only until the child has it.
  CFiUniqueFd devNull;
  if (error == 0) {
    devNull.reset(aboveStandard(::open("/dev/null", O_RDONLY | O_CLOEXEC)));
    if (!devNull.valid()) error = errno;
  }
  if (error == 0 && user) {
    error = forkChild(path, argv.data(), outFd, devNull.get(), workDir, user->groups, user->uid,
                      user->gid, pid, code);
  } else if (error == 0) {
    error = spawnChild(path, argv.data(), outFd, devNull.get(), workDir, pid);
  }
  if (error != 0) {
    const std::string reason = errorText(error);
    trace(FI_TRACE_ERROR, "Failed to create child process");
    trace(FI_TRACE_ERROR,
          "CFiExecPipePosix::CreateChildProcess ERROR: cannot start [%s], Error Code: %d, "
          "Reason: %s",
          path.c_str(), error, reason.c_str());
    const std::string& concerned = code == QLB_EXEC_PIPE_CANNOT_IMPERSONATE ? m_user : m_command;
    throw EFiExecPipe(concerned, code, CFiStringTool::str2wstr(reason), error);
  }
  return pid;
}

void CFiExecPipePosix::FlushHandles() { m_childWriteFd.reset(); }

int CFiExecPipePosix::checkChild() {
  if (m_childReaped) return 1;
  if (m_childPid <= 0) return -1;
  siginfo_t info;
  std::memset(&info, 0, sizeof(info));
  int r;
  do {
    // WNOWAIT: the ended child keeps its process id, and so its group id,
    // until the rest of its group has been dealt with.
    r = waitid(P_PID, static_cast<id_t>(m_childPid), &info, WEXITED | WNOHANG | WNOWAIT);
  } while (r < 0 && errno == EINTR);
  if (r < 0 && errno == ECHILD) {
    // Reaped by someone else (a host that ignores SIGCHLD): the child is
    // gone and its exit status with it.
    m_childReaped = true;
    m_statusUnknown = true;
    return 1;
  }
  if (r < 0) return -1;
  if (info.si_pid != m_childPid) return 0;
  // A child this pipe had to stop takes what remains of its group along.
  if (m_signalSent) killpg(m_childPid, SIGKILL);
  int status = 0;
  pid_t reaped;
  do {
    reaped = waitpid(m_childPid, &status, 0);
  } while (reaped < 0 && errno == EINTR);
  if (reaped != m_childPid) return -1;
  m_childReaped = true;
  m_waitStatus = status;
  return 1;
}

bool CFiExecPipePosix::reapIfEnded() { return checkChild() == 1; }

CFiExecPipePosix::WaitResult CFiExecPipePosix::waitForChild(uint64_t ms) {
  uint64_t deadline = nowMs() + ms;
  while (true) {
    int state = checkChild();
    if (state > 0) return CHILD_ENDED;
    if (state < 0) return WAIT_FAILED;
    uint64_t now = nowMs();
    if (now >= deadline) return WAIT_TIMED_OUT;
    uint64_t left = deadline - now;
    if (m_pidFd.valid()) {
      struct pollfd p = {m_pidFd.get(), POLLIN, 0};
      if (poll(&p, 1, clampMs(left)) < 0 && errno != EINTR) return WAIT_FAILED;
    } else {
      // Polling the child is the wait itself, not a pause of the library.
      std::this_thread::sleep_for(
          std::chrono::milliseconds(std::min<uint64_t>(left, kChildCheckMs)));
    }
  }
}

void CFiExecPipePosix::signalChild(int sig) {
  if (m_childPid <= 0 || m_childReaped) return;
  m_signalSent = true;
  if (killpg(m_childPid, sig) != 0) kill(m_childPid, sig);
}

int CFiExecPipePosix::decodedStatus() {
  if (m_statusUnknown) return -1;
  if (WIFEXITED(m_waitStatus)) return WEXITSTATUS(m_waitStatus);
  if (WIFSIGNALED(m_waitStatus)) {
    int sig = WTERMSIG(m_waitStatus);
    // A write into the pipe this side had already closed counts as ours.
    if (m_signalSent || (sig == SIGPIPE && m_readClosedEarly)) return KILLED_EXIT_STATUS;
    m_killedByForeignSignal = true;
    return 128 + sig;
  }
  return -1;
}

int CFiExecPipePosix::WaitPid(uint32_t timeoutSec) {
  if (m_childPid <= 0) return -1;
  uint64_t waitMs = static_cast<uint64_t>(timeoutSec) * m_timeUnitMs;
  const uint64_t capMs = kWaitCapUnits * m_timeUnitMs;
  static const int kEscalation[3] = {SIGINT, SIGTERM, SIGKILL};
  for (int attempt = 0; attempt < 3; ++attempt) {
    WaitResult r = waitForChild(waitMs);
    if (r == CHILD_ENDED) return decodedStatus();
    if (r == WAIT_FAILED) {
      int error = errno;
      trace(FI_TRACE_WARNING, "waitpid() of process %d failed with error code (%d)",
            static_cast<int>(m_childPid), error);
      signalChild(SIGKILL);
      waitForChild(capMs);
      return KILLED_EXIT_STATUS;
    }
    signalChild(kEscalation[attempt]);
    if (kEscalation[attempt] == SIGKILL) {
      if (waitForChild(capMs) != CHILD_ENDED) {
        trace(FI_TRACE_ERROR, "Process %d did not end after SIGKILL", static_cast<int>(m_childPid));
      }
      return KILLED_EXIT_STATUS;
    }
    waitMs = std::min(waitMs, capMs);
  }
  return -1;
}

int CFiExecPipePosix::Close(uint32_t timeoutSec) {
  if (m_readFd.valid() && !m_outputEnded) m_readClosedEarly = true;
  m_readFd.reset();
  m_childWriteFd.reset();
  int result = QLB_EXEC_PIPE_SUCCESS;
  if (m_childPid > 0) {
    int status = WaitPid(timeoutSec);
    if (status < 0) {
      trace(FI_TRACE_WARNING, "Unexpected error encountered.");
      m_lastError = EFiExecPipe(m_command, QLB_EXEC_PIPE_ERROR_UNEXPECTED, L"Error in WaitPid()");
      result = QLB_EXEC_PIPE_ERROR_UNEXPECTED;
    } else if (status > 0 && m_killedByForeignSignal) {
      m_lastError =
          EFiExecPipe(m_command, QLB_EXEC_PIPE_CMD_KILLED,
                      L"Command killed by signal " + std::to_wstring(status - 128), status);
      result = QLB_EXEC_PIPE_CMD_KILLED;
    } else if (status > 0) {
      m_lastError = EFiExecPipe(m_command, QLB_EXEC_PIPE_CMD_FAILED,
                                L"Command exited with status " + std::to_wstring(status), status);
      result = QLB_EXEC_PIPE_CMD_FAILED;
    }
  }
  m_pidFd.reset();
  Init();
  return result;
}

CFiExecPipePosix::FillResult CFiExecPipePosix::fillBuffer(uint64_t ms) {
  if (m_outputEnded) return FILL_END;
  if (m_buffer.empty()) m_buffer.resize(kReadChunk);
  const uint64_t deadline = nowMs() + ms;
  while (true) {
    bool watchChild = m_childPid > 0 && !m_childReaped;
    // Once the child has ended (or with no time-out) only what is already
    // in the pipe is read.
    bool drain = !watchChild || ms == 0;
    uint64_t now = nowMs();
    uint64_t left = drain || now >= deadline ? 0 : deadline - now;
    struct pollfd fds[2] = {{m_readFd.get(), POLLIN, 0}, {m_pidFd.get(), POLLIN, 0}};
    nfds_t count = (watchChild && m_pidFd.valid()) ? 2 : 1;
    int slice = clampMs(left);
    if (watchChild && !m_pidFd.valid()) slice = std::min(slice, kChildCheckMs);
    int r = poll(fds, count, slice);
    if (r < 0) {
      int error = errno;
      if (error == EINTR) continue;
      trace(FI_TRACE_ERROR,
            "CFiExecPipePosix::ReadLine ERROR: poll failed, Error Code: %d, Reason: %s", error,
            errorText(error).c_str());
      m_outputEnded = true;
      return FILL_END;
    }
    if (r > 0 && fds[0].revents != 0) {
      ssize_t got = read(m_readFd.get(), m_buffer.data(), m_buffer.size());
      if (got > 0) {
        m_bufferPos = 0;
        m_bufferEnd = static_cast<std::size_t>(got);
        return FILL_DATA;
      }
      int error = errno;
      if (got < 0 && (error == EINTR || error == EAGAIN)) continue;
      if (got < 0) {
        trace(FI_TRACE_ERROR,
              "CFiExecPipePosix::ReadLine ERROR: read failed, Error Code: %d, Reason: %s", error,
              errorText(error).c_str());
      }
      m_outputEnded = true;
      return FILL_END;
    }
    bool childSignalled = count == 2 ? fds[1].revents != 0 : watchChild;
    if (childSignalled && reapIfEnded()) continue;  // drain what it left
    if (drain) return FILL_END;
    if (nowMs() >= deadline) return FILL_TIMED_OUT;
  }
}

int CFiExecPipePosix::ReadLine(char* buf, std::size_t size, int& timedOut, uint32_t timeoutSec) {
  timedOut = 0;
  if (!buf) return 0;
  buf[0] = '\0';
  if (!m_readFd.valid()) return 0;
  uint64_t waitMs = static_cast<uint64_t>(timeoutSec) * m_timeUnitMs;
  // An ended child leaves only what is already in the pipe to read. Asked
  // only when the buffer is empty: a line already buffered needs no wait,
  // and a listing of many lines would otherwise cost a system call each.
  if (m_childPid <= 0 || (m_bufferPos == m_bufferEnd && reapIfEnded())) waitMs = 0;

  std::size_t length = 0;
  while (length < size) {
    if (m_bufferPos == m_bufferEnd) {
      FillResult filled = fillBuffer(waitMs);
      if (filled == FILL_TIMED_OUT) {
        timedOut = 1;
        break;
      }
      if (filled == FILL_END) break;
    }
    const char* start = m_buffer.data() + m_bufferPos;
    std::size_t take = std::min(m_bufferEnd - m_bufferPos, size - length);
    const char* lineEnd = static_cast<const char*>(std::memchr(start, '\n', take));
    if (lineEnd) {
      std::size_t part = static_cast<std::size_t>(lineEnd - start);
      std::memcpy(buf + length, start, part);
      length += part;
      m_bufferPos += part + 1;
      if (length > 0 && buf[length - 1] == '\r') --length;
      buf[length] = '\0';
      return 1;
    }
    std::memcpy(buf + length, start, take);
    length += take;
    m_bufferPos += take;
  }
  buf[length] = '\0';
  return length > 0 ? 1 : 0;
}

}  // namespace quelb_pdk_4_4
