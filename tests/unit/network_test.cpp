// Host resolution against this machine's own names only; no test needs DNS.
#include <gtest/gtest.h>
#include <quelb/quelb_records.h>

#include <string>

#include "cfinetwork.h"
#include "test_env.h"

using quelb_pdk_4_4::CFiHostInfo;
using quelb_pdk_4_4::CFiNetwork;

namespace {

// A name the resolver refuses before asking any server: a label may hold at
// most 63 characters.
const std::string kUnresolvable = std::string(70, 'n') + ".example";

TEST(Network, TokenAndAddressValidation) {
  for (const char* ok : {"0", "9", "255", "00255", "000"})
    EXPECT_EQ(0, CFiNetwork::IsTokenValid(ok)) << ok;
  for (const char* bad : {"", "256", "-1", "+1", "1a", " 1", "99999999999999999999999", "2550"})
    EXPECT_EQ(QLB_ERR_INVALID_ARG, CFiNetwork::IsTokenValid(bad)) << bad;

  EXPECT_TRUE(CFiNetwork::validateIPAddress("10.0.0.1"));
  EXPECT_TRUE(CFiNetwork::validateIPAddress("255.255.255.255"));
  for (const char* bad : {"10.0.0.256", "10.0.0", "10.0.0.1.5", "1..2.3", "1.2.3.4.", ".1.2.3", "",
                          "a.b.c.d", "10.0.0.1 ", "localhost"})
    EXPECT_FALSE(CFiNetwork::validateIPAddress(bad)) << bad;
}

// Forward lookups of addresses and of names that cannot resolve: the masking tests
// (LongHostNamesAreLookedUpByAddress...).
TEST(Network, ResolveFillsTheRecordByTheKindOfName) {
  const CFiHostInfo byName = CFiNetwork::resolve("LOCALHOST");
  EXPECT_EQ("LOCALHOST", byName.getHostName());
  EXPECT_EQ("127.0.0.1", byName.getIpAddress());
  EXPECT_FALSE(byName.getFQDN().empty());
  EXPECT_EQ(std::string::npos, byName.getFQDN().find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"))
      << byName.getFQDN();

  const CFiHostInfo byAddress = CFiNetwork::resolve("127.0.0.1");
  EXPECT_EQ("127.0.0.1", byAddress.getIpAddress());
  EXPECT_FALSE(byAddress.getHostName().empty());
  EXPECT_EQ(byName.getFQDN(), byAddress.getFQDN());
  EXPECT_TRUE(CFiNetwork::compare(byName, byAddress));
  // Leading zeros are decimal, not octal.
  std::string same;
  EXPECT_EQ(0, CFiNetwork::getHostbyAddr("127.000.000.001", same));
  EXPECT_EQ(byAddress.getHostName(), same);
  // No valid address: the text itself comes back, with a failure.
  EXPECT_EQ(QLB_ERR_INVALID_ARG, CFiNetwork::getHostbyAddr("127.0.0.300", same));
  EXPECT_EQ("127.0.0.300", same);

  const CFiHostInfo unknown = CFiNetwork::resolve(kUnresolvable);
  EXPECT_EQ(kUnresolvable, unknown.getHostName());
  EXPECT_EQ("", unknown.getIpAddress());
  EXPECT_EQ("", unknown.getFQDN());
  std::string fqdn;
  EXPECT_EQ(QLB_ERR_INVALID_ARG, CFiNetwork::getFQDN(static_cast<const char*>(nullptr), fqdn));
  EXPECT_EQ(QLB_ERR_INVALID_ARG, CFiNetwork::getFQDN(kUnresolvable, fqdn));

  const CFiHostInfo empty = CFiNetwork::resolve("");
  EXPECT_TRUE(empty.getHostName().empty() && empty.getIpAddress().empty() &&
              empty.getFQDN().empty());

  const std::string host = testenv::hostName();
  ASSERT_FALSE(host.empty());
  EXPECT_EQ(host, CFiNetwork::getComputerName());
  EXPECT_EQ(host, CFiNetwork::resolve().getHostName());
}

TEST(Network, CompareMatchesOnAnyNonEmptyFieldIgnoringCase) {
  const CFiHostInfo a("Alpha", "10.0.0.1", "alpha.example.com");
  EXPECT_TRUE(CFiNetwork::compare(a, CFiHostInfo("other", "10.0.0.1", "")));
  EXPECT_TRUE(CFiNetwork::compare(a, CFiHostInfo("ALPHA", "", "")));
  EXPECT_TRUE(CFiNetwork::compare(a, CFiHostInfo("", "", "ALPHA.example.COM")));
  EXPECT_FALSE(CFiNetwork::compare(a, CFiHostInfo("alpha2", "10.0.0.10", "alpha.example")));
  // Empty fields never make a match, even when both sides are empty.
  EXPECT_FALSE(CFiNetwork::compare(CFiHostInfo(), CFiHostInfo()));
  EXPECT_FALSE(CFiNetwork::compare(CFiHostInfo("", "", ""), CFiHostInfo("x", "", "")));

  EXPECT_TRUE(CFiNetwork::compare("ALPHA", a));
  EXPECT_TRUE(CFiNetwork::compare("10.0.0.1", a));
  EXPECT_TRUE(CFiNetwork::compare("Alpha.Example.Com", a));
  EXPECT_FALSE(CFiNetwork::compare("alpha.example", a));
  EXPECT_FALSE(CFiNetwork::compare("", CFiHostInfo()));
}

}  // namespace
