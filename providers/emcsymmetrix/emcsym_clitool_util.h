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

// " -sid <symid>", the Symmetrix ID checked against its form first
// (emcsym_names.h): a value of another form throws CEmcSymCliException
// naming `operation` and the value.
std::string sidArgument(const std::string& symid, const wchar_t* operation);

// " -file <path>" with the path as one argument whatever it holds (a blank
// of TMPDIR, say): in double quotes, an inner double quote written \",
// and backslashes at its end placed after the closing quote, so that
// neither the runner's splitter nor the Windows argument rules read a
// closing quote as a character.
std::string fileArgument(const std::string& path);

// The lines joined with `separator` between them, as traces quote a
// command's output: the first lines within the bounds of
// CEmcSymCliException::quotedCount (a trace line is cut at 8 KiB anyway),
// then "[... N more lines]" for what was left out.
std::string joinLines(const std::vector<std::string>& lines, const char* separator);

// The tuning parameters of the provider configuration, read afresh.
SEmcSymTuningParams readTuningParams(const quelb_pdk_4_4::CFiTraceLogPtr& traceLog);

}  // namespace emcsym

#endif  // EMCSYM_CLITOOL_UTIL_H
