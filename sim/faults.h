// Faults set on purpose with "symsim fault add": each matches runs by tool,
// command and array, and is consumed by the runs it fires on (the model
// stores them: model_log.h).
#ifndef SYMSIM_FAULTS_H
#define SYMSIM_FAULTS_H

#include <cstdint>
#include <string>
#include <vector>

namespace symsim {

// Kinds of fault:
//   gatekeeper  the run fails with gatekeeper message `which` (1-4) or, with
//               which 0, prints nothing at all
//   fail        the run prints `message` and ends with `exitStatus`
//   hang        the run never ends (until killed); with `midway` it first
//               makes its changes inside its open transaction
//   delay       the run waits `millis` milliseconds, then runs normally
//   truncate    the run's output stops halfway through its XML
//   noxml       the run prints text without any XML document
//   crash       the run dies of SIGSEGV before it prints anything; with
//               `midway` (--after) it first makes its changes and prints
//               its output in full
//   garbage     the run prints bytes that are neither text nor XML (control
//               characters, NULs, invalid UTF-8) and ends with status 0
//   empty       the run prints nothing and ends with status 0
//   huge        the run prints `millis` bytes of text lines (--bytes) before
//               its normal output
//   longline    the run prints one line of `millis` bytes (--bytes) before
//               its normal output
//   reply       the run makes its changes, then prints `message` (read from
//               the file given with --file) in place of its output, status 0
// A run that crashes or hangs has no exit status in the log.
struct Fault {
  int64_t id = 0;
  std::string kind;
  std::string tool;       // empty: any tool
  std::string command;    // empty: any command; else a command name or its first word
  std::string symid;      // empty: any array
  int64_t remaining = 1;  // runs it still fires on; -1 = every run
  int64_t skip = 0;       // matching runs let through before it fires
  int64_t fired = 0;
  std::string message;
  int64_t exitStatus = 0;  // 0: the default failure status
  int64_t millis = 0;      // delay: milliseconds; huge, longline: bytes
  int64_t which = 1;
  bool midway = false;  // hang --midway, crash --after
};

extern const char* const kFaultKinds[];
bool isFaultKind(const std::string& kind);

// The four messages a tool prints when it cannot use the gatekeeper.
const char* gatekeeperMessage(int64_t which);

// Whether the fault applies to a run of `tool` with the command `command`
// on the array `symid` (either ID may be the other's last digits).
bool faultMatches(const Fault& fault, const std::string& tool, const std::string& command,
                  const std::string& symid);

}  // namespace symsim

#endif  // SYMSIM_FAULTS_H
