// libnorvel.so as the framework sees it: loaded with dlopen, reached only
// through its exported entry points, its answers freed with the utility
// library.
#include <dlfcn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <quelb/quelb_pgn.h>

#include "test_env.h"

namespace {

class Library : public ::testing::Test {
 protected:
  void SetUp() override {
    handle = dlopen(testenv::norvelLibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(nullptr, handle) << dlerror();
#define RESOLVE(op) \
  pgn.op = reinterpret_cast<qlb_pgn_##op##_t>(dlsym(handle, "norvel_fi_pgn_" #op));
    QLB_PGN_OPERATIONS(RESOLVE)
#undef RESOLVE
    liveBefore = quelb_live_buffers();
  }
  void TearDown() override {
    if (handle) dlclose(handle);
    EXPECT_EQ(liveBefore, quelb_live_buffers()) << "framework buffers leaked";
    EXPECT_EQ(0u, quelb_bad_frees());
  }

  testenv::TempDir root{"norvel_e2e"};
  testenv::ScopedEnv installRoot{"QUELB_INSTALL_ROOT", root.path().c_str()};
  testenv::ScopedEnv registry{"QUELB_REGISTRY", root.file("registry.reg").c_str()};
  // Operations that pass the delayed initialisation try SYMCLI, which is
  // missing here: its retries must not wait, nor take the system-wide lock.
  testenv::ScopedEnv sleepScale{"QUELB_SLEEP_SCALE", "0"};
  testenv::ScopedEnv privateLock{"QUELB_CLI_LOCK_KEY", "0"};
  void* handle = nullptr;
  qlb_pgn_table pgn = {};
  uint64_t liveBefore = 0;
};

TEST_F(Library, ExportsAllSeventyEntryPoints) {
  int found = 0;
#define COUNT(op) \
  if (pgn.op) ++found; else ADD_FAILURE() << "missing norvel_fi_pgn_" #op;
  QLB_PGN_OPERATIONS(COUNT)
#undef COUNT
  EXPECT_EQ(QLB_PGN_OPERATION_COUNT, found);
}

TEST_F(Library, InitFillsVersionAndAnswersProviderInfoAndMethods) {
  EXPECT_EQ(QLB_ERR_NO_VERSION, pgn.init(nullptr, nullptr));

  uint16_t version[4] = {9, 9, 9, 9};
  qlb_init_rec record = {};
  pgn.init(&record, version);
  EXPECT_EQ(7, version[0]);
  EXPECT_EQ(0, version[1] + version[2] + version[3]);

  for (int round = 0; round < 2; ++round) {  // equal answers every time
    qlb_provider_list* providers = nullptr;
    ASSERT_EQ(0, pgn.get_provider_info(&providers));
    ASSERT_NE(nullptr, providers);
    EXPECT_STREQ(L"norvel", providers->pl_provider_name);
    EXPECT_EQ(1, providers->pl_value1);
    EXPECT_EQ(2, providers->pl_value2);
    EXPECT_EQ(7, providers->pl_version[0]);
    ASSERT_NE(nullptr, providers->pl_claim_patterns);
    EXPECT_STREQ(L"UDID##EMC##SYMMETRIX##", providers->pl_claim_patterns[0]);
    EXPECT_EQ(nullptr, providers->pl_claim_patterns[1]);
    EXPECT_EQ(nullptr, providers->pl_next);
    quelb_free_provider_list(providers);

    qlb_fim_list* fims = nullptr;
    ASSERT_EQ(0, pgn.enumerate_fims(&fims));
    const wchar_t* names[] = {L"EMC_TimeFinder_Clone", L"EMC_TimeFinder_Mirror",
                              L"EMC_TimeFinder_Snap"};
    const uint32_t fourth[] = {1, 1, 0};
    qlb_fim_list* f = fims;
    for (int i = 0; i < 3; ++i, f = f->fl_next) {
      ASSERT_NE(nullptr, f);
      EXPECT_STREQ(names[i], f->fl_name);
      EXPECT_STREQ(names[i], f->fl_second_name);
      EXPECT_STREQ(L"1.0", f->fl_version);
      EXPECT_EQ(fourth[i], f->fl_value[3]);
      EXPECT_EQ(5u, f->fl_value[5]);
    }
    EXPECT_EQ(nullptr, f);
    quelb_free_fim_list(fims);
  }
  pgn.fini();
}

TEST_F(Library, ProviderDefaultsThroughEntryPoints) {
  uint16_t version[4];
  qlb_init_rec record = {};
  pgn.init(&record, version);

  long status[3] = {0, 0, 0};
  EXPECT_EQ(0, pgn.get_status(nullptr, nullptr, 3, nullptr, 0, status));
  EXPECT_EQ(8, status[0]);
  EXPECT_EQ(8, status[2]);

  qlb_domain a = {}, b = {};
  qlb_node_subobj_list second = {&b, nullptr, nullptr, nullptr};
  qlb_node_subobj_list first = {&a, nullptr, nullptr, &second};
  EXPECT_EQ(0, pgn.disable_access(&first, 0));
  EXPECT_EQ(QLB_NODE_NOACCESS, b.fid_flags);
  EXPECT_EQ(0, pgn.enable_access(&first, 0, 0, 0));
  EXPECT_EQ(0u, a.fid_flags | b.fid_flags);
  EXPECT_EQ(QLB_ERR_INVALID_ARG, pgn.enable_access(nullptr, 0, 0, 0));

  qlb_blob blob = {5, &a, 1};
  EXPECT_EQ(0, pgn.process_providerstate(&a, &blob, 1));
  EXPECT_EQ(0u, blob.blob_length);
  EXPECT_EQ(nullptr, blob.blob_data);

  wchar_t* output = nullptr;
  long objctlStatus = -1;
  EXPECT_EQ(0, pgn.objctl(L"noop", L"<OBJCTL_ARG_LIST> </OBJCTL_ARG_LIST>", &output, &objctlStatus));
  EXPECT_EQ(0, objctlStatus);
  ASSERT_NE(nullptr, output);
  EXPECT_STREQ(L"<OBJCTL_ARG_LIST> </OBJCTL_ARG_LIST> ", output);
  free(output);

  qlb_provider_list* providers = nullptr;
  EXPECT_EQ(QLB_ERR_INVALID_ARG, pgn.get_provider_info(nullptr));
  EXPECT_EQ(0, pgn.get_provider_info(&providers));
  quelb_free_provider_list(providers);
  pgn.fini();
}

// quelbctl refuses a library that lacks entry points, with status 2.
TEST(Quelbctl, RefusesLibraryWithoutEntryPoints) {
  std::string lib = testenv::binaryDir() + "/lib/libquelbutil.so";
  std::string command = testenv::quelbctlPath() + " --lib " + lib + " info 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(nullptr, pipe);
  std::string output;
  char buf[512];
  while (fgets(buf, sizeof buf, pipe)) output += buf;
  int status = pclose(pipe);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(2, WEXITSTATUS(status));
  EXPECT_NE(std::string::npos, output.find("lacks 70 of the 70 entry points")) << output;
  EXPECT_NE(std::string::npos, output.find("missing norvel_fi_pgn_init")) << output;
}

TEST(Quelbctl, InfoRunsEndToEnd) {
  testenv::TempDir root{"norvel_ctl"};
  // init needs an existing SYMCLI directory.
  testenv::makeDirs(root.file("ConfigFiles"));
  testenv::writeFile(root.file("ConfigFiles/norvel.conf"),
                     "[CLI_TOOL_INFO]\n\"FILEPATH\"=\"" + root.path() + "\"\n");
  std::string command = "QUELB_INSTALL_ROOT=" + root.path() + " QUELB_REGISTRY=" +
                        root.file("none.reg") + " " + testenv::quelbctlPath() + " --lib " +
                        testenv::norvelLibraryPath() + " info 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(nullptr, pipe);
  std::string output;
  char buf[512];
  while (fgets(buf, sizeof buf, pipe)) output += buf;
  int status = pclose(pipe);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_NE(std::string::npos, output.find("claim pattern UDID##EMC##SYMMETRIX##")) << output;
  EXPECT_NE(std::string::npos, output.find("EMC_TimeFinder_Snap")) << output;
}

}  // namespace
