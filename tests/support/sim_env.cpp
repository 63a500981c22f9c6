#include "sim_env.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "cfiexecpipeposix.h"

extern char** environ;

namespace simtest {

namespace {

int statusOf(int raw) {
  if (WIFEXITED(raw)) return WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
  return -1;
}

std::vector<std::string> childEnvironment() {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e)
    if (std::strncmp(*e, "SYMSIM_DB=", 10) != 0) env.push_back(*e);
  return env;
}

}  // namespace

Child::Child(const std::string& path, const std::vector<std::string>& args,
             const std::vector<std::string>& extra) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  std::vector<std::string> env = childEnvironment();
  env.insert(env.end(), extra.begin(), extra.end());
  std::vector<char*> argv, envp;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (std::string& e : env) envp.push_back(&e[0]);
  envp.push_back(nullptr);
  int rc = posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (rc != 0) {
    ::close(fds[0]);
    pid_ = -1;
    throw std::runtime_error("cannot start " + path + ": " + std::strerror(rc));
  }
  fd_ = fds[0];
}

Child::~Child() {
  if (pid_ > 0) kill(SIGKILL);
  if (fd_ >= 0) ::close(fd_);
}

std::string Child::readUntil(const std::string& text) {
  char buf[65536];
  while (fd_ >= 0 && buffered_.find(text) == std::string::npos) {
    ssize_t n = ::read(fd_, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(fd_);
      fd_ = -1;
      break;
    }
    buffered_.append(buf, static_cast<size_t>(n));
  }
  return buffered_;
}

ToolRun Child::finish() {
  ToolRun r;
  r.out = readUntil(std::string(1, '\0') + "never");
  int raw = 0;
  while (waitpid(pid_, &raw, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  r.status = statusOf(raw);
  return r;
}

bool Child::running() {
  if (pid_ <= 0) return false;
  int raw = 0;
  return waitpid(pid_, &raw, WNOHANG) == 0;
}

int Child::kill(int sig) {
  if (pid_ <= 0) return -1;
  ::kill(pid_, sig);
  int raw = 0;
  while (waitpid(pid_, &raw, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  return statusOf(raw);
}

ToolRun runProgram(const std::string& path, const std::vector<std::string>& args,
                   const std::vector<std::string>& env) {
  Child child(path, args, env);
  return child.finish();
}

std::vector<std::string> splitCommandLine(const std::string& line) {
  std::vector<std::string> args;
  if (line.find_first_not_of(" \t") == std::string::npos) return args;
  if (!quelb_pdk_4_4::CFiExecPipePosix::SplitCommandLine(line, args))
    throw std::runtime_error("cannot split the command line: " + line);
  return args;
}

SimEnv::SimEnv() : temp_("symsim_test") {
  ToolRun r = runProgram(testenv::symsimPath(), {"install", bin()});
  if (r.status != 0) throw std::runtime_error("symsim install failed: " + r.out);
}

ToolRun SimEnv::run(const std::string& tool, const std::vector<std::string>& args) const {
  return runProgram(bin() + "/" + tool, args);
}

ToolRun SimEnv::line(const std::string& tool, const std::string& args) const {
  return run(tool, splitCommandLine(args));
}

ToolRun SimEnv::provider(const std::string& tool, const std::string& args) const {
  std::vector<std::string> argv = splitCommandLine("\"" + bin() + "/" + tool + "\" " + args);
  std::string path = argv[0];
  argv.erase(argv.begin());
  return runProgram(path, argv);
}

std::string SimEnv::admin(const std::string& args) const {
  ToolRun r = run("symsim", splitCommandLine(args));
  EXPECT_EQ(r.status, 0) << "symsim " << args << "\n" << r.out;
  return r.out;
}

void SimEnv::init(const std::string& scenario) const {
  testenv::writeFile(file("scenario.scn"), scenario);
  admin("init " + file("scenario.scn"));
}

std::string SimEnv::pairFile(const std::string& name, const std::string& lines) const {
  testenv::writeFile(file(name), lines);
  return file(name);
}

}  // namespace simtest
