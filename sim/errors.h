// The two ways a simulated tool run can fail before it prints its result.
#ifndef SYMSIM_ERRORS_H
#define SYMSIM_ERRORS_H

#include <stdexcept>
#include <string>

namespace symsim {

// Exit status of a refused command line, as the real tools use it.
constexpr int kExitUsage = 1;
// Exit status of a command that was understood but could not be carried out.
constexpr int kExitFailed = 2;

// The command line is not one the tool accepts: the run prints the message
// and the tool's usage (the administration command: the message and a
// pointer to --help, in one line) and ends with kExitUsage.
class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& what) : std::runtime_error(what) {}
};

// The command was understood but fails (unknown array or device, pair in
// the wrong state, ...). Nothing it did is kept.
class CliError : public std::runtime_error {
 public:
  explicit CliError(const std::string& what, int status = kExitFailed)
      : std::runtime_error(what), status_(status) {}
  int status() const { return status_; }

 private:
  int status_;
};

}  // namespace symsim

#endif  // SYMSIM_ERRORS_H
