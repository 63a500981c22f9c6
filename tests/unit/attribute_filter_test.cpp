// The enumerations' filter text.
#include <gtest/gtest.h>

#include "cfiattributefilter.h"

using quelb_pdk_4_4::CFiAttributeFilter;

TEST(AttributeFilter, NullOrEmptyTextLetsEverythingPass) {
  for (const wchar_t* text : {static_cast<const wchar_t*>(nullptr), L"", L" , \n"}) {
    CFiAttributeFilter filter(text);
    EXPECT_TRUE(filter.attributes().empty());
    EXPECT_TRUE(filter.match("vendor_id", "EMC"));
    EXPECT_FALSE(filter.has("vendor_id"));
    EXPECT_EQ("", filter.value("vendor_id"));
  }
}

TEST(AttributeFilter, ItemsAtCommasAndLineEndsTrimmedValuesMatchWithoutCase) {
  CFiAttributeFilter filter(
      L" vendor_id = emc ,\n\tproduct_id=SYMMETRIX\r\nenclosure_id=1,"
      L"enclosure_id=000190100001");
  EXPECT_EQ(3u, filter.attributes().size());
  EXPECT_TRUE(filter.match("vendor_id", "EMC"));
  EXPECT_FALSE(filter.match("vendor_id", "EMC2"));
  EXPECT_TRUE(filter.match("product_id", "symmetrix"));
  // The later item wins; names are compared exactly.
  EXPECT_EQ("000190100001", filter.value("enclosure_id"));
  EXPECT_FALSE(filter.has("Enclosure_ID"));
  EXPECT_TRUE(filter.match("Enclosure_ID", "anything"));
}

// Without "=": ignored. "name=": the name with an empty value, which
// matches nothing but an empty value. "=" alone: ignored. Empty pieces are
// dropped, so "a==b" reads as a and b. A third piece ends the reading,
// keeping the earlier items.
TEST(AttributeFilter, MalformedItems) {
  CFiAttributeFilter filter(L"provider_name,=,vendor_id=");
  EXPECT_FALSE(filter.has("provider_name"));
  EXPECT_FALSE(filter.match("vendor_id", "EMC"));
  EXPECT_TRUE(filter.match("vendor_id", ""));
  EXPECT_EQ("b", CFiAttributeFilter(L"a==b").value("a"));

  CFiAttributeFilter third(L"vendor_id=EMC,udid=a=b,enclosure_id=000190100001");
  EXPECT_EQ("EMC", third.value("vendor_id"));
  EXPECT_FALSE(third.has("udid") || third.has("enclosure_id"));
}
