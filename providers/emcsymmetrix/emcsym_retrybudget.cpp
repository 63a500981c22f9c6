#include "emcsym_retrybudget.h"

bool CEmcSymRetryBudget::takeRun() {
  if (m_runs >= MAX_RETRY_RUNS) return false;
  ++m_runs;
  return true;
}

bool CEmcSymRetryBudget::takeTime(uint64_t ms) {
  if (m_ms + ms > static_cast<uint64_t>(MAX_RETRY_SECONDS) * 1000) {
    m_ms += ms;
    return false;
  }
  m_ms += ms;
  return true;
}

std::string CEmcSymRetryBudget::describe() const {
  return std::to_string(m_runs) + " SYMCLI runs and " + std::to_string(m_ms / 1000) +
         " s of retries (bounds: " + std::to_string(MAX_RETRY_RUNS) + " runs, " +
         std::to_string(MAX_RETRY_SECONDS) + " s per operation)";
}
