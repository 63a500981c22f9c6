// Starts ACE's object manager for the test programs on Windows. A program gets it from ACE's main()
// and a library from its own start-up (the provider's DllMain); the test programs use GoogleTest's
// main() and link the kit statically, so this environment starts it before the first test and ends
// it after the last. Linked into each test executable of the Windows build (tests/CMakeLists.txt).
#include <gtest/gtest.h>

#include <ace/Init_ACE.h>

namespace {

class AceObjectManager : public ::testing::Environment {
 public:
  void SetUp() override { ACE::init(); }
  void TearDown() override { ACE::fini(); }
};

const ::testing::Environment* const kAce =
    ::testing::AddGlobalTestEnvironment(new AceObjectManager);

}  // namespace
