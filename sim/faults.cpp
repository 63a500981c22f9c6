#include "faults.h"

#include "text.h"

namespace symsim {

const char* const kFaultKinds[] = {"gatekeeper", "fail",  "hang",    "delay", "truncate",
                                   "noxml",      "crash", "garbage", "empty", "huge",
                                   "longline",   "reply", nullptr};

bool isFaultKind(const std::string& kind) {
  for (int i = 0; kFaultKinds[i]; ++i)
    if (kind == kFaultKinds[i]) return true;
  return false;
}

const char* gatekeeperMessage(int64_t which) {
  switch (which) {
    case 1:
      return "The operation failed because another process has an exclusive lock on the local "
             "Symmetrix";
    case 2:
      return "The gatekeeper device (while using the Base Daemon) has an error (Please see the Log "
             "file)";
    case 3:
      return "A gate keeper cannot be opened";
    case 4:
      return "The Symmetrix configuration could not be loaded for a locally-attached Symmetrix";
    default:
      return "";
  }
}

bool faultMatches(const Fault& f, const std::string& tool, const std::string& command,
                  const std::string& symid) {
  if (!f.tool.empty() && f.tool != tool) return false;
  if (!f.command.empty() && !equalsNoCase(f.command, command) &&
      !equalsNoCase(f.command, words(command).at(0)))
    return false;
  if (!f.symid.empty()) {
    // The run's -sid may be the ID's last digits, like the fault's.
    if (symid.empty()) return false;
    const std::string& longer = f.symid.size() >= symid.size() ? f.symid : symid;
    const std::string& shorter = f.symid.size() >= symid.size() ? symid : f.symid;
    if (longer.compare(longer.size() - shorter.size(), shorter.size(), shorter) != 0) return false;
  }
  return true;
}

}  // namespace symsim
