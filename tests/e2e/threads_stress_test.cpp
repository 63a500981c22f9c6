// Many framework threads in the library at once: enumerations, snapshots in sessions of their own,
// failures and last errors, message lookups, configuration, tracing while the level changes.
// Readers get the answers they would get alone. The snapshot sessions share the selected pairs (a
// make acts on every pair selected so far), so each call succeeds or fails as an operation fails,
// depending on the threads' order, and nothing is left behind. `make test-tsan` runs it under
// ThreadSanitizer, which proves the shared state is guarded.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "loaded_provider.h"

namespace e2etest {
namespace {

// Rounds of the repeating threads; each round runs SYMCLI commands.
const int kRounds = 3;

class ThreadStress : public SnapshotTest {
 protected:
  void SetUp() override {
    LoadedProvider::SetUp();
    writeConfig(configWithLevel(6));
    start();
  }

  // The configuration with the trace level read again at every line.
  std::string configWithLevel(int level) const {
    char text[64];
    std::snprintf(text, sizeof text, "\"TRACELEVEL\"=dword:%08x\n", level);
    return simConfig().substr(0, simConfig().find("\"TRACELEVEL\"")) + text +
           "\"TRACERUNTIMEUPDATE\"=dword:00000001\n";
  }

  // A mirror snapshot of `device` onto its BCV `target` in its own session: each step succeeds or
  // fails as an operation fails (6); the first that fails is the last one run.
  void snapshot(const std::string& device, const std::string& target, const char* session) {
    auto node = source(kArray1, device, kMirror, kArray1 + "##" + device + ";" + target);
    int result = select({node->split()}, session);
    if (result == 0) result = prepare({node->split()}, session);
    if (result == 0) result = make({node->split()}, nullptr, session);
    EXPECT_TRUE(result == 0 || result == QLB_ERR_FAILED) << session << ": " << result;
  }

  // Each listing's result and number of elements, "<rc>/<n>" (elements hold no blank).
  static std::string summary(const std::string& listing) {
    return listing.substr(0, listing.find(':')) + "/" +
           std::to_string(std::count(listing.begin(), listing.end(), ' '));
  }
  void enumerate() {
    for (int round = 0; round < kRounds; ++round) {
      EXPECT_EQ("0/2", summary(enclosures(nullptr)));
      // The second array's devices but its BCVs.
      EXPECT_EQ("0/12", summary(nodes(wide("enclosure_id=" + kArray2).c_str(), 0x10)));
      EXPECT_EQ(0u, hosts(nullptr).find("0: ")) << "at least one host";
    }
  }

  // A failure of this thread's own, its last error and its texts.
  void failAndLookUp() {
    for (int round = 0; round < kRounds * 4; ++round) {
      std::wstring filter = L"udid=EMC##SYMMETRIX##" + std::to_wstring(round);
      qlb_node_list* nodes = nullptr;
      int count = 0;
      EXPECT_EQ(QLB_ERR_FAILED, pgn.enumerate_nodes(&nodes, &count, 0x10, &filter[0]));
      quelb_free_node_list(nodes);
      qlb_msg_info* last = nullptr;
      ASSERT_EQ(0, pgn.get_last_error(&last));
      ASSERT_NE(nullptr, last);
      const std::string text(last->mi_text, last->mi_length);
      EXPECT_NE(std::string::npos, text.find("MSGID=MSG_ERROR_UDID_PARSING_EXCEPTION")) << text;
      EXPECT_NE(std::string::npos, text.find(N(filter.c_str() + 5))) << text;
      wchar_t* localized = nullptr;
      EXPECT_EQ(0, pgn.get_locale_message(nullptr, last, round % 2 ? "de" : nullptr, &localized));
      EXPECT_NE(std::string::npos, N(localized).find("UDID##")) << N(localized);
      pgn.del_locale_message(&localized);
      pgn.del_last_error(&last);
      const wchar_t* code = nullptr;
      EXPECT_EQ(0, pgn.errmsg(round % 2 ? 6 : 30, &code));
      EXPECT_NE(nullptr, code);
    }
  }

  // Reads and writes of one node's configuration, and the shared descriptions.
  void configure() {
    SourceNode node(pgn, udid(kArray1, "0044"), kClone);
    for (int round = 0; round < kRounds * 4; ++round) {
      EXPECT_EQ(0, node.configure(kArray1 + "##0044;00C" + std::to_string(4 + round % 2)));
      for (int operation : {1, 4}) {  // the values, the descriptions
        qlb_confspec spec = {1, 0, nullptr};
        char session[] = "cfg";
        EXPECT_EQ(0, pgn.config(node.node(), operation, session, &spec));
        ASSERT_NE(nullptr, spec.cs_text);
        EXPECT_NE(std::wstring::npos, std::wstring(spec.cs_text).find(L"snapshot_resource_spec"));
        std::free(spec.cs_text);
      }
    }
  }

  // The trace level as an administrator changes it while the provider runs.
  void changeTraceLevel() {
    for (int round = 0; round < kRounds * 8; ++round) {
      const std::string next = install.configFile("norvel") + ".new";
      testenv::writeFile(next, configWithLevel(round % 2 ? 6 : 2));
      // Windows refuses to replace a file a reader has open: retried as an administrator would,
      // a millisecond apart (a reader on a loaded machine can hold it open for many yields).
      std::error_code failed;
      for (int attempt = 0; attempt < 5000; ++attempt) {
        std::filesystem::rename(next, install.configFile("norvel"), failed);
        if (!failed) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      ASSERT_FALSE(failed) << failed.message();
      std::this_thread::yield();
    }
  }
};

TEST_F(ThreadStress, EntryPointsAnswerEveryThreadAsIfItWereAlone) {
  const std::vector<std::function<void()>> work = {
      [this] { enumerate(); },
      [this] { snapshot("0040", "0080", "first"); },
      [this] { snapshot("0041", "0081", "second"); },
      [this] { snapshot("0042", "0082", "third"); },
      [this] { failAndLookUp(); },
      [this] { configure(); },
      [this] { changeTraceLevel(); },
  };
  std::vector<std::thread> threads;
  for (const std::function<void()>& w : work) threads.emplace_back(w);
  for (std::thread& t : threads) t.join();

  std::lock_guard<std::mutex> hold(pushedLock);
  EXPECT_LT(0, traced("Entering Function CEmcSymPlugin::enumerateNodes"));
}

}  // namespace
}  // namespace e2etest
