// Helpers shared by the source files of CEmcSymCliTool.
#ifndef EMCSYM_CLITOOL_UTIL_H
#define EMCSYM_CLITOOL_UTIL_H

#include <string>
#include <vector>

#include "cfistringtool.h"
#include "cfitracelog.h"
#include "emcsym_clitool.h"
#include "emcsym_config.h"

namespace emcsym {

// The SYMCLI tools.
const char kSymCfg[] = "symcfg" EMCSYM_EXE_SUFFIX;
const char kSymMir[] = "symmir" EMCSYM_EXE_SUFFIX;
const char kSymClone[] = "symclone" EMCSYM_EXE_SUFFIX;
const char kSymSnap[] = "symsnap" EMCSYM_EXE_SUFFIX;
const char kSymMask[] = "symmask" EMCSYM_EXE_SUFFIX;
const char kSymMaskDb[] = "symmaskdb" EMCSYM_EXE_SUFFIX;
const char kSymDev[] = "symdev" EMCSYM_EXE_SUFFIX;
const char kSymDisk[] = "symdisk" EMCSYM_EXE_SUFFIX;
const char kSymCli[] = "symcli" EMCSYM_EXE_SUFFIX;

// A command as execSymCLI takes it: the tool, then its arguments (which
// begin with a blank).
inline std::wstring toolCommand(const char* tool, const std::string& arguments) {
  return quelb_pdk_4_4::CFiStringTool::str2wstr(std::string(tool) + arguments);
}

inline std::string narrow(const std::wstring& text) {
  return quelb_pdk_4_4::CFiStringTool::wstr2str(text);
}

// The lines joined with `separator` between them.
std::string joinLines(const std::vector<std::string>& lines, const char* separator);

// The tuning parameters of the provider configuration, read afresh.
SEmcSymTuningParams readTuningParams(const quelb_pdk_4_4::CFiTraceLogPtr& traceLog);

}  // namespace emcsym

#endif  // EMCSYM_CLITOOL_UTIL_H
