// libnorvel.so as the framework sees it: loaded with dlopen, reached only through its exported
// entry points, its answers freed with the utility library.
#include <filesystem>

#include "loaded_provider.h"

namespace {

typedef e2etest::LoadedProvider Library;

// That it exports exactly the seventy entry points: export_list.norvel.
TEST_F(Library, InitFillsVersionAndAnswersProviderInfoAndDefaults) {
  EXPECT_EQ(QLB_ERR_NO_VERSION, pgn.init(nullptr, nullptr));
  uint16_t fourNines[4] = {9, 9, 9, 9};
  ASSERT_EQ(0, pgn.init(&record, fourNines));
  started = true;
  EXPECT_EQ(7, fourNines[0]);
  EXPECT_EQ(0, fourNines[1] + fourNines[2] + fourNines[3]);

  qlb_provider_list* providers = nullptr;
  ASSERT_EQ(0, pgn.get_provider_info(&providers));
  ASSERT_NE(nullptr, providers);
  EXPECT_STREQ(L"norvel", providers->pl_provider_name);
  EXPECT_EQ(7, providers->pl_version[0]);
  ASSERT_NE(nullptr, providers->pl_claim_patterns);
  EXPECT_STREQ(L"UDID##EMC##SYMMETRIX##", providers->pl_claim_patterns[0]);
  EXPECT_EQ(nullptr, providers->pl_claim_patterns[1]);
  EXPECT_EQ(nullptr, providers->pl_next);
  quelb_free_provider_list(providers);

  // The provider's defaults through the entry points (the methods it lists:
  // Quelbctl.BadArgumentsAreRefusedInOneLineBeforeTheProviderIsAsked).
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
}

// Without an install path (no registry file, no install root of the framework) the library writes
// nothing, not even into the working directory, and says why in plain words: it has no message
// catalogs then.
TEST_F(Library, WithoutAnInstallPathItWritesNothingAndSaysSo) {
  testenv::ScopedEnv noRoot("QUELB_INSTALL_ROOT", nullptr);
  testenv::TempDir workingDir("norvel_cwd");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(workingDir.path());
  EXPECT_EQ(QLB_ERR_PROVIDER_INIT, pgn.init(&record, version));
  started = true;
  std::filesystem::current_path(previous);
  EXPECT_EQ(std::vector<std::string>(), testenv::listDir(workingDir.path()));
  bool said = false;
  for (const Pushed& p : pushed)
    said =
        said || (p.consumer.empty() && p.severity == QLB_SEV_ERROR &&
                 p.fallback.find("norvel: no installation directory is known: the registry") == 0 &&
                 p.fallback.find("\"InstallDir64\" in the key [HKEY_LOCAL_MACHINE\\SOFTWARE\\"
                                 "Dravonel\\Quelb]") != std::string::npos);
  EXPECT_TRUE(said);
}

}  // namespace
