// Device identity strings: parsing, building and every parse failure.
#include <gtest/gtest.h>

#include "cfiudid.h"

using namespace quelb_pdk_4_4;

namespace {

int parseCode(const std::string& text) {
  try {
    CFiUdid udid(text);
  } catch (const CFiUdidException& e) {
    EXPECT_EQ(text, e.text());
    return e.code();
  }
  return 0;
}

std::string parts(const CFiUdid& u) {
  return u.vendor() + "|" + u.product() + "|" + u.serial() + "|" + u.device();
}

// Leading text is ignored; case is kept when parsing and upper-cased when
// building; three parts leave the serial empty; the device takes the rest.
TEST(Udid, ParsesPartsAndBuildsTheUpperCaseText) {
  const struct {
    const char* text;
    const char* parts;
    const char* built;
  } cases[] = {
      {"UDID##EMC##SYMMETRIX##0001234##0ABC", "EMC|SYMMETRIX|0001234|0ABC",
       "UDID##EMC##SYMMETRIX##0001234##0ABC"},
      {"xyzUDID##emc##symmetrix##1##0abc", "emc|symmetrix|1|0abc", "UDID##EMC##SYMMETRIX##1##0ABC"},
      {"UDID##V##P##D", "V|P||D", "UDID##V##P####D"},
      {"UDID##V##P##S##D##X", "V|P|S|D##X", "UDID##V##P##S##D##X"},
  };
  for (const auto& c : cases) {
    CFiUdid udid(c.text);
    EXPECT_EQ(c.parts, parts(udid)) << c.text;
    EXPECT_EQ(c.built, udid.toString()) << c.text;
  }
  CFiUdid wide(L"<norvel>UDID##EMC##SYMMETRIX##77##1f");
  EXPECT_EQ("EMC|SYMMETRIX|77|1f", parts(wide));
  EXPECT_EQ("UDID##EMC##SYMMETRIX##", wide.prefix());
  EXPECT_STREQ(L"UDID##EMC##SYMMETRIX##77##1F", wide.toWide().c_str());
  wide.setDevice("0def");
  EXPECT_EQ("UDID##EMC##SYMMETRIX##77##0DEF", wide.toString());
}

TEST(Udid, EveryFailureHasItsCodeAndKeepsOnlyThePartsFoundBeforeIt) {
  EXPECT_EQ(CFiUdidException::FI_UDID_NO_SERIAL, parseCode("UDID##V##P##"));
  for (const char* text : {"udid##emc##symmetrix##1##0abc", "V##P", ""})
    EXPECT_EQ(CFiUdidException::FI_UDID_NO_MARKER, parseCode(text)) << text;
  EXPECT_EQ(CFiUdidException::FI_UDID_NO_VENDOR_END, parseCode("UDID##V"));
  EXPECT_EQ(CFiUdidException::FI_UDID_NO_PRODUCT_END, parseCode("UDID##V##P"));

  CFiUdid udid("UDID##A##B##C##D");
  EXPECT_THROW(udid.parse(std::string("UDID##V##P")), CFiUdidException);
  EXPECT_EQ("V|||", parts(udid));
  EXPECT_THROW(CFiUdid(static_cast<const char*>(nullptr)), CFiUdidException);
}

}  // namespace
