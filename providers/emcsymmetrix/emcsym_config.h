// CEmcSymConfiguration: the provider's own settings, read from its
// configuration file (<install>/ConfigFiles/norvel.conf):
//
//   [CLI_TOOL_INFO]   "FILEPATH"                 SYMCLI bin directory
//   [TUNING_PARAMS]   "LOCK_RETRY_ATTEMPTS"      dword, default 8
//                     "LOCK_RETRY_DELAY_IN_SEC"  dword, default 2
//                     "POST_UNMASK_WAIT_IN_SEC"  dword, default 0
//                     "CLI_TIMEOUT_IN_SEC"       dword, default 600: the time-out
//                                                of every command but the restore
//                                                (0 keeps the default)
//   [RESTORE_INFO]    "TIMEOUT"                  dword, default 6000 (seconds)
//
// Every setting is optional; a missing file, section or key leaves the
// default. Without FILEPATH the SYMCLI directory comes from the SYMCLI
// installation's registry entries, then from the Program Files directory.
#ifndef EMCSYM_CONFIG_H
#define EMCSYM_CONFIG_H

#include <cstdint>

#include "cficonfiguration.h"
#include "cfitstring.h"

// The tuning parameters of the SYMCLI runner and the masking commands.
struct SEmcSymTuningParams {
  SEmcSymTuningParams()
      : lockRetryAttempts(8),
        lockRetryDelayInSec(2),
        postUnmaskWaitInSec(0),
        cliTimeoutInSec(600) {}

  uint32_t lockRetryAttempts;    // further runs while the gatekeeper is locked
  uint32_t lockRetryDelayInSec;  // seconds between those runs
  uint32_t postUnmaskWaitInSec;  // seconds to wait after a masking change
  uint32_t cliTimeoutInSec;      // time-out of a command (the restore has its own)
};

class CEmcSymConfiguration : public quelb_pdk_4_4::CFiConfiguration {
 public:
  // The provider name, which names the provider's configuration file.
  static const wchar_t* const PROVIDER_NAME;  // "norvel"

  // The configuration of PROVIDER_NAME.
  CEmcSymConfiguration();
  explicit CEmcSymConfiguration(const quelb_pdk_4_4::tstring& providerName);

  // The SYMCLI bin directory, always ending in "/" when it comes from the
  // registry or the fallback: FILEPATH of CLI_TOOL_INFO as read (a "/"
  // appended when missing, so an empty one gives "/"); else SYMAPI_HOME_DIR + "/bin/"; else the
  // Program Files directory + "/EMC/SYMCLI/bin/" (/opt/EMC/SYMCLI/bin/ on this platform).
  quelb_pdk_4_4::tstring importCliPathInfo();

  // SYMAPI_HOME_DIR of HKEY_LOCAL_MACHINE\SOFTWARE\EMC\SYMCLI\V6.0, else of
  // the first sub-key of SOFTWARE\EMC\SYMCLI. Throws CFiError when a key or
  // the value is missing.
  quelb_pdk_4_4::tstring getSymCliDirFromRegistry();

  // Reads the provider's configuration file afresh and fills the fields
  // whose keys are present; the others keep their values. Always 0.
  int getTuningParams(SEmcSymTuningParams& params);

  // The restore time-out in seconds (TIMEOUT of RESTORE_INFO, default 6000).
  uint32_t getRestoreTimeout();
};

#endif  // EMCSYM_CONFIG_H
