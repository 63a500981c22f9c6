// quelbctl on a terminal (a pseudo-terminal): the waits of a mirror snapshot show as one status
// line, rewritten in place; elsewhere (the other quelbctl tests) nothing of it shows.
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include "quelbctl_fixture.h"

extern char** environ;

using e2etest::contains;
using e2etest::kSource;
using QuelbctlTerminal = e2etest::QuelbctlFixture;

TEST_F(QuelbctlTerminal, ShowsTheProgressOfAWaitOnATerminal) {
  sim.admin("set copy_queries 3");
  sim.admin("state --sid 000190100001 pair 0041 0081 Split");
  std::vector<std::string> args = {testenv::quelbctlPath(), "--lib", testenv::norvelLibraryPath()};
  args.insert(args.end(), {"snapshot", "--method", "EMC_TimeFinder_Mirror", kSource + "=0081"});
  std::vector<std::string> env = environment();
  for (char** e = environ; *e; ++e) env.push_back(*e);
  std::vector<char*> argv, envp;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  for (std::string& e : env) envp.push_back(&e[0]);
  envp.push_back(nullptr);
  int terminal = -1;
  struct winsize size = {};
  size.ws_row = 24;
  size.ws_col = 132;
  const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, &size);
  ASSERT_NE(-1, pid);
  if (pid == 0) {
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  std::string out;
  char buffer[4096];
  ssize_t got = 0;
  while ((got = ::read(terminal, buffer, sizeof buffer)) > 0) out.append(buffer, got);
  ::close(terminal);
  int raw = 0;
  ::waitpid(pid, &raw, 0);
  EXPECT_EQ(0, WEXITSTATUS(raw)) << out;
  EXPECT_TRUE(contains(out,
                       "\rwaiting: symmir pairs to reach Synchronized: 0 of 1 done, pair 1 is "
                       "SyncInProg"))
      << out;
  EXPECT_TRUE(contains(out, "\r\033[K")) << "the line is removed again";
}
