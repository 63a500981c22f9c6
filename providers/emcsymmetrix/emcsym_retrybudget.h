// CEmcSymRetryBudget: how much one operation may spend on retrying SYMCLI
// commands.
//
// Several commands retry on their own (the runner on a locked gatekeeper,
// the masking refresh, the masking add, the HBA discovery), and some call
// others inside their retries. Each keeps its own retry count, but nested
// retries would multiply (a refresh that kept answering "gatekeeper busy"
// during a deport once ran 3,792 SYMCLI commands in about 20 minutes). So
// every operation (one CEmcSymCliTool) has one budget for all its retries:
//
//   - at most MAX_RETRY_RUNS runs that repeat or recover from a failure
//     (retries, array discoveries and lock releases inside retries, the
//     run after a forced lock release), and
//   - at most MAX_RETRY_SECONDS seconds spent on them: the pauses between
//     retries, counted as asked for, plus the measured time of those runs.
//
// 200 runs cover the largest legitimate case with room to spare: one full
// gatekeeper recovery (8 retries, a lock release of 15 locks on each of a
// few arrays, a last run) plus the 24 runs of a refresh's own retries for
// each device of a deport; 600 s is ten times the pauses of the default
// tuning (8 retries, 2 s apart) for one command with a refresh. First runs
// and state polls are not retries and are not counted.
//
// When either bound is reached the operation ends with
// CEmcSymCliException "[execSymCLI]" whose text names the bound, the runs
// and seconds spent and the last failed command.
#ifndef EMCSYM_RETRYBUDGET_H
#define EMCSYM_RETRYBUDGET_H

#include <cstdint>
#include <string>

class CEmcSymRetryBudget {
 public:
  static const int MAX_RETRY_RUNS = 200;
  static const uint32_t MAX_RETRY_SECONDS = 600;

  CEmcSymRetryBudget() {}

  // Counts one retry run; false when it would exceed MAX_RETRY_RUNS.
  bool takeRun();
  // Counts `ms` milliseconds of retrying (a pause, or a retry run's
  // duration); false when the total would exceed MAX_RETRY_SECONDS.
  bool takeTime(uint64_t ms);

  int runs() const { return m_runs; }
  uint64_t milliseconds() const { return m_ms; }

  // "N SYMCLI runs and S s of retries (bounds: 200 runs, 600 s)".
  std::string describe() const;

 private:
  int m_runs = 0;
  uint64_t m_ms = 0;
};

#endif  // EMCSYM_RETRYBUDGET_H
