// Helpers shared by the source files of CEmcSymCliTool.
#ifndef EMCSYM_CLITOOL_UTIL_H
#define EMCSYM_CLITOOL_UTIL_H

#include <string>
#include <vector>

#include "cfiplatform.h"
#include "cfistringtool.h"
#include "cfitracelog.h"
#include "emcsym_clitool.h"
#include "emcsym_config.h"

namespace emcsym {

// The source file every CEmcSymCliException of the tool names, whichever
// of the tool's source files raised it: users and support know the runner
// by this one name.
const char kCliToolSourceFile[] = "providers/emcsymmetrix/emcsym_clitool.cpp";

// The SYMCLI tools, without the platform's executable suffix.
const char kSymCfg[] = "symcfg";
const char kSymMir[] = "symmir";
const char kSymClone[] = "symclone";
const char kSymSnap[] = "symsnap";
const char kSymMask[] = "symmask";
const char kSymMaskDb[] = "symmaskdb";
const char kSymDev[] = "symdev";
const char kSymDisk[] = "symdisk";
const char kSymCli[] = "symcli";

// A command as execSymCLI takes it: the tool's executable name, then its
// arguments (which begin with a blank).
inline std::wstring toolCommand(const char* tool, const std::string& arguments) {
  return quelb_pdk_4_4::CFiStringTool::str2wstr(std::string(tool) + quelb_pdk_4_4::FI_EXE_SUFFIX +
                                                arguments);
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
