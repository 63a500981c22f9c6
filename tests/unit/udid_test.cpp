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

TEST(Udid, ParsesFourPartsAndBuildsTheSameText) {
  CFiUdid udid("UDID##EMC##SYMMETRIX##0001234##0ABC");
  EXPECT_EQ("EMC", udid.vendor());
  EXPECT_EQ("SYMMETRIX", udid.product());
  EXPECT_EQ("0001234", udid.serial());
  EXPECT_EQ("0ABC", udid.device());
  EXPECT_EQ("UDID##EMC##SYMMETRIX##", udid.prefix());
  EXPECT_EQ("UDID##EMC##SYMMETRIX##0001234##0ABC", udid.toString());
  EXPECT_STREQ(L"UDID##EMC##SYMMETRIX##0001234##0ABC", udid.toWide().c_str());

  CFiUdid wide(L"<norvel>UDID##EMC##SYMMETRIX##77##1f");  // leading text ignored
  EXPECT_EQ("77", wide.serial());
  EXPECT_EQ("1f", wide.device());
}

TEST(Udid, KeepsCaseWhenParsingAndUpperCasesWhenBuilding) {
  CFiUdid udid("xyzUDID##emc##symmetrix##1##0abc");
  EXPECT_EQ("emc", udid.vendor());
  EXPECT_EQ("symmetrix", udid.product());
  EXPECT_EQ("0abc", udid.device());
  EXPECT_EQ("UDID##EMC##SYMMETRIX##1##0ABC", udid.toString());

  udid.setDevice("0def");
  EXPECT_EQ("0def", udid.device());
  EXPECT_EQ("UDID##EMC##SYMMETRIX##1##0DEF", udid.toString());
}

TEST(Udid, ThreePartsLeaveTheSerialEmptyAndTheDeviceTakesTheRest) {
  CFiUdid three("UDID##V##P##D");
  EXPECT_EQ("", three.serial());
  EXPECT_EQ("D", three.device());
  EXPECT_EQ("UDID##V##P####D", three.toString());

  CFiUdid more("UDID##V##P##S##D##X");
  EXPECT_EQ("S", more.serial());
  EXPECT_EQ("D##X", more.device());
}

TEST(Udid, EveryFailureHasItsCode) {
  EXPECT_EQ(CFiUdidException::FI_UDID_NO_SERIAL, parseCode("UDID##V##P##"));
  EXPECT_EQ(CFiUdidException::FI_UDID_NO_MARKER, parseCode("udid##emc##symmetrix##1##0abc"));
  EXPECT_EQ(CFiUdidException::FI_UDID_NO_MARKER, parseCode("V##P"));
  EXPECT_EQ(CFiUdidException::FI_UDID_NO_MARKER, parseCode(""));
  EXPECT_EQ(CFiUdidException::FI_UDID_NO_VENDOR_END, parseCode("UDID##V"));
  EXPECT_EQ(CFiUdidException::FI_UDID_NO_PRODUCT_END, parseCode("UDID##V##P"));
  EXPECT_EQ(1, CFiUdidException::FI_UDID_NO_SERIAL);
  EXPECT_EQ(4, CFiUdidException::FI_UDID_NO_PRODUCT_END);
}

TEST(Udid, FailedParseKeepsOnlyThePartsFoundBeforeIt) {
  CFiUdid udid("UDID##A##B##C##D");
  EXPECT_THROW(udid.parse(std::string("UDID##V##P")), CFiUdidException);
  EXPECT_EQ("V", udid.vendor());
  EXPECT_EQ("", udid.product());
  EXPECT_EQ("", udid.serial());
  EXPECT_EQ("", udid.device());
  EXPECT_THROW(CFiUdid(static_cast<const char*>(nullptr)), CFiUdidException);
}

}  // namespace
