// Child processes of sim_env.h on POSIX systems: posix_spawn with one pipe for standard output and
// error, waitpid, SIGKILL.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "cfiexecpipeposix.h"
#include "sim_env.h"

extern char** environ;

namespace simtest {

const int kCrashedStatus = 128 + SIGSEGV;

double childProcessorSeconds() {
  struct rusage ru;
  getrusage(RUSAGE_CHILDREN, &ru);
  return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
         static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

struct Child::Process {
  pid_t pid = -1;
  int fd = -1;

  int reap() {
    int raw = 0;
    while (waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
    }
    pid = -1;
    if (WIFEXITED(raw)) return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
    return -1;
  }
};

Child::Child(const std::string& path, const std::vector<std::string>& args,
             const std::vector<std::string>& extra, Streams streams)
    : process_(new Process) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  if (streams == Streams::kMerged)
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  else
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "SYMSIM_DB=", 10) != 0) env.push_back(*e);
  env.insert(env.end(), extra.begin(), extra.end());
  std::vector<char*> argv, envp;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (std::string& e : env) envp.push_back(&e[0]);
  envp.push_back(nullptr);
  int rc = posix_spawn(&process_->pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (rc != 0) {
    ::close(fds[0]);
    throw std::runtime_error("cannot start " + path + ": " + std::strerror(rc));
  }
  process_->fd = fds[0];
}

Child::~Child() {
  kill();
  if (process_->fd >= 0) ::close(process_->fd);
}

std::string Child::readUntil(const std::string& text) {
  char buf[65536];
  int& fd = process_->fd;
  while (fd >= 0 && buffered_.find(text) == std::string::npos) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(fd);
      fd = -1;
      break;
    }
    buffered_.append(buf, static_cast<size_t>(n));
  }
  return buffered_;
}

ToolRun Child::finish() {
  ToolRun r;
  r.out = readUntil(std::string(1, '\0') + "never");
  r.status = process_->reap();
  return r;
}

int Child::kill() {
  if (process_->pid <= 0) return -1;
  ::kill(process_->pid, SIGKILL);
  return process_->reap();
}

std::vector<std::string> splitCommandLine(const std::string& line) {
  std::vector<std::string> args;
  if (line.find_first_not_of(" \t") == std::string::npos) return args;
  if (!quelb_pdk_4_4::CFiExecPipePosix::SplitCommandLine(line, args))
    throw std::runtime_error("cannot split the command line: " + line);
  return args;
}

}  // namespace simtest
