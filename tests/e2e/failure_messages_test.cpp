// Failures a user can provoke end with a message naming the command, its exit status and output: a
// warning where the operation keeps its result, else an error. Retries are bounded per operation,
// and the message names the bound it reached.
#include <functional>

#include "loaded_provider.h"

namespace {

// A document with both of its markers whose elements do not nest.
const char kBrokenXml[] =
    "<?xml version=\"1.0\"?>\n<SymCLI_ML>\n<Symmetrix><Device></Symmetrix>\n</SymCLI_ML>\n";

class FailureMessages : public e2etest::LoadedProvider {
 protected:
  // The pushed catalog message that holds every part; "" when none does.
  const Pushed* pushedWith(const std::vector<std::string>& parts) const {
    for (const Pushed& p : pushed) {
      bool all = !p.consumer.empty();
      for (const std::string& part : parts) all = all && p.consumer.find(part) != std::string::npos;
      if (all) return &p;
    }
    return nullptr;
  }
};

// One failure: before the provider discovers the arrays, symsim commands (faults, forced states)
// and the tool that prints kBrokenXml instead of its own output; the operation (an enumeration's
// result is the number its answer starts with), and the parts of the pushed message.
using Texts = std::vector<std::string>;
struct Cell {
  const char* name;
  Texts arrange;
  const char* brokenTool;
  std::function<int()> operation;
  int result;
  int severity;
  Texts parts;
};

TEST_F(FailureMessages, EveryFailureNamesItsCommandExitStatusAndOutput) {
  const std::string exe = testenv::kExeSuffix;
  const std::vector<Cell> cells = {
      {"sizes that cannot be read",
       Texts{"fault add fail --tool symdisk --message \"Disk listing refused\" --exit 3 --always"},
       nullptr, [this] { return std::stoi(enclosures(nullptr)); }, 0, QLB_SEV_WARNING,
       Texts{"The storage sizes of array 000190100001 are reported as 0",
             "symdisk" + exe + "\"  list  -sid 000190100001", "failed with exit status 3",
             "Disk listing refused"}},
      {"a device listing that cannot be parsed", Texts(), "symdev",
       [this] { return std::stoi(nodes(nullptr, 0x10)); }, QLB_ERR_FAILED, QLB_SEV_ERROR,
       Texts{"symdev" + exe + " -sid 000190100001 -fibre -nobcv  list", "[parseXML] (",
             "<Device></Symmetrix>"}},
      {"an array listing that cannot be parsed", Texts(), "symcfg",
       [this] { return std::stoi(enclosures(nullptr)); }, QLB_ERR_DELAYED_INIT, QLB_SEV_ERROR,
       Texts{"symcfg" + exe + " list", "[parseXML] ("}},
      {"a removal that fails during deport",
       Texts{"fault add fail --tool symmask --cmd remove --message \"Device busy\" --exit 5 "
             "--always"},
       nullptr, [this] { return deportDevice("0040", 0x10); }, 0, QLB_SEV_WARNING,
       Texts{"The device 0040 of array 000190100001 may still be visible to the host bus adapter "
             "10000000C9A0000",
             "-force remove devs 0040", "exit status 5", "Device busy"}},
      {"logins that cannot be read while listing hosts",
       Texts{"fault add fail --tool symmask --cmd \"list logins\" --message \"Logins refused\" "
             "--exit 4 --always"},
       nullptr, [this] { return std::stoi(hosts(nullptr)); }, 0, QLB_SEV_WARNING,
       Texts{"The hosts that array 000190100001 sees are left out of the list", "list logins",
             "exit status 4", "Logins refused"}},
      {"assignments that cannot be read during deport",
       Texts{"fault add fail --tool symmaskdb --cmd \"list assignment\" "
             "--message \"Database offline\" --always"},
       nullptr, [this] { return deportDevice("0040", 0x10); }, 0, QLB_SEV_WARNING,
       Texts{"The masking assignments of device 0040 of array 000190100001 could not be read",
             "list assignment", "Database offline"}},
      {"an HBA listing that fails during import",
       Texts{"fault add fail --tool symmask --cmd \"list hba\" --message \"HBA listing refused\" "
             "--always"},
       nullptr, [this] { return importDevice("0041", 0x1); }, QLB_ERR_INVALID_ARG, QLB_SEV_ERROR,
       Texts{"The host bus adapters of this host could not be listed for device 0041", "list hba",
             "HBA listing refused"}},
      {"one add that fails during an import that another add completes",
       Texts{"fault add fail --tool symmask --cmd add --message \"Path refused\""}, nullptr,
       [this] { return importDevice("0041", 0x1); }, 0, QLB_SEV_WARNING,
       Texts{"The device 0041 of array 000190100001 could not be made visible through one path of "
             "the host bus adapter",
             "-noprompt add devs 0041", "Path refused"}},
      {"a terminate that fails during dispose",
       Texts{"state --sid 000190100001 clone 0044 00C4 Copied",
             "fault add fail --tool symclone --cmd terminate --message refused --always"},
       nullptr, [this] { return dispose("0044", "00C4"); }, 0, QLB_SEV_WARNING,
       Texts{"The copy session from device 0044 to device 00C4 of array 000190100001 may still "
             "exist",
             "terminate -symforce", "refused"}},
      {"a refresh that keeps failing during import",
       Texts{"fault add fail --tool symmask --cmd refresh --message \"Refresh refused\" --always"},
       nullptr, [this] { return importDevice("0041", 0x1); }, QLB_ERR_FAILED, QLB_SEV_ERROR,
       Texts{"The masking view of array 000190100001 could not be refreshed for device 0041",
             "refresh -noprompt", "Refresh refused"}},
      {"adds that keep failing during import",
       Texts{"fault add fail --tool symmask --cmd add --message \"Add refused\" --always"}, nullptr,
       [this] { return importDevice("0041", 0x1); }, QLB_ERR_FAILED, QLB_SEV_ERROR,
       Texts{"The device 0041 of array 000190100001 could not be made visible to this host",
             "-noprompt add devs 0041", "Add refused"}},
  };
  for (const Cell& cell : cells) {
    SCOPED_TRACE(cell.name);
    // Each cell on a fresh simulator (without the faults of the last) and provider.
    if (started) pgn.fini();
    started = false;
    start(std::string(), false);
    for (const std::string& command : cell.arrange) sim.admin(command);
    if (cell.brokenTool) sim.reply("--always --tool " + std::string(cell.brokenTool), kBrokenXml);
    EXPECT_EQ(cell.result, cell.operation());
    const Pushed* message = pushedWith(cell.parts);
    std::string shown;
    for (const Pushed& p : pushed) shown += p.consumer.empty() ? "" : p.consumer + "\n";
    ASSERT_NE(nullptr, message) << "messages:\n" << shown;
    EXPECT_EQ(cell.severity, message->severity);
    EXPECT_EQ(nullptr, pushedWith({"messages before this one"}));
    pushed.clear();
  }
}

TEST_F(FailureMessages, RetriesAreBoundedPerOperationAndTheBoundIsNamed) {
  // A refresh that always finds the gatekeeper busy, in a deport of a device with two local
  // assignments: the refresh's own retries and the runner's no longer multiply.
  start();
  sim.admin("fault add gatekeeper --msg 3 --tool symmask --cmd refresh --always");
  EXPECT_EQ(QLB_ERR_FAILED, deportDevice("0040", 0x10));
  EXPECT_GT(200u, runs().size());
  EXPECT_EQ("MSG_ERROR_MASKING_FAILED", lastErrorId());

  // Long pauses: the 600 s of retries run out first, and the user reads it.
  pgn.fini();
  started = false;
  writeConfig(simConfig() + "[TUNING_PARAMS]\n\"LOCK_RETRY_DELAY_IN_SEC\"=dword:0000003c\n");
  start();
  sim.admin("fault add gatekeeper --msg 3 --tool symmask --cmd refresh --always");
  EXPECT_EQ(QLB_ERR_FAILED, deportDevice("0040", 0x10));
  EXPECT_EQ("MSG_ERROR_CLI_COMMAND_FAILED", lastErrorId());
  EXPECT_NE(std::string::npos, lastMessage().find("the operation stopped retrying after "))
      << lastMessage();
  EXPECT_NE(std::string::npos, lastMessage().find("(bounds: 200 runs, 600 s per operation)"));
  EXPECT_NE(std::string::npos, lastMessage().find("refresh -noprompt"));
}

}  // namespace
