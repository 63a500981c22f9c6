// Configuration parameter descriptions, values and format options: the XML
// each list writes.
#include <gtest/gtest.h>

#include "cficonfig.h"
#include "cfiformatoption.h"
#include "cfistringtool.h"

using namespace quelb_pdk_4_4;

namespace {

std::string xml(const tstring& text) { return CFiStringTool::tstr2str(text); }

const std::string kDeclaration = "<?xml version=\"1.0\" standalone=\"yes\" ?>\n";

TEST(ConfigParamInfo, WritesTheWholeDescriptionDocument) {
  CFiConfigParamInfoList list;
  EXPECT_EQ("", xml(list.getXML()));  // never changed
  list.addParamInfo(
      CFiConfigParamInfo("snapshot_resource_spec", "", FI_CONFIG_USAGE_SELECT, "", false, false));
  EXPECT_EQ(kDeclaration +
                "<ConfigParamList>\n"
                "<ConfigParam>\n"
                "\t<key>snapshot_resource_spec</key>\n"
                "\t<usageType>SELECT</usageType>\n"
                "\t<messageId></messageId>\n"
                "\t<isSharedParam>false</isSharedParam>\n"
                "\t<dataType>string</dataType>\n"
                "\t<defaultValue></defaultValue>\n"
                "</ConfigParam>\n"
                "</ConfigParamList>\n",
            xml(list.getXML()));
  list.clear();
  EXPECT_EQ(kDeclaration + "<ConfigParamList>\n</ConfigParamList>\n", xml(list.getXML()));
}

TEST(ConfigParamInfo, ConstructorsChooseDataTypeAndDefaultText) {
  struct {
    CFiConfigParamInfo info;
    int type;
    const char* typeName;
    const char* defaultValue;
  } cases[] = {
      {CFiConfigParamInfo("k", 42, FI_CONFIG_USAGE_AUTO, -1, -1, "m", false, true), 1, "int", "42"},
      {CFiConfigParamInfo("k", -7, FI_CONFIG_USAGE_AUTO, -1, -1, "m", true, false), 4, "int_list",
       "-7"},
      {CFiConfigParamInfo("k", true, FI_CONFIG_USAGE_AUTO, "m", false, false), 2, "boolean",
       "true"},
      {CFiConfigParamInfo("k", false, FI_CONFIG_USAGE_AUTO, "m", true, false), 5, "boolean_list",
       "false"},
      {CFiConfigParamInfo("k", "v", FI_CONFIG_USAGE_AUTO, "m", false, false), 0, "string", "v"},
      {CFiConfigParamInfo("k", std::string("v"), FI_CONFIG_USAGE_AUTO, "m", true, false), 3,
       "string_list", "v"},
      {CFiConfigParamInfo("k", L"w\u00e9", FI_CONFIG_USAGE_AUTO, "m", true, false), 0, "string",
       "w\xc3\xa9"},
      {CFiConfigParamInfo(), 6, "unknown", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.type, c.info.getDataType());
    EXPECT_EQ(c.defaultValue, c.info.getDefaultValue());
    EXPECT_NE(std::string::npos,
              c.info.toXml().find(std::string("<dataType>") + c.typeName + "</dataType>"))
        << c.typeName;
  }
  EXPECT_TRUE(cases[0].info.isShared());
  EXPECT_NE(std::string::npos, cases[0].info.toXml().find("<isSharedParam>true</isSharedParam>"));
  EXPECT_NE(std::string::npos, cases[0].info.toXml().find("<usageType>AUTO</usageType>"));
  EXPECT_NE(std::string::npos, cases[7].info.toXml().find("<usageType>UNKNOWN</usageType>"));
  EXPECT_EQ(-1, cases[7].info.getRangeMin());
}

TEST(ConfigParamInfo, RangesOnlyForIntsAndSelectionsOnlyForStringLists) {
  CFiConfigParamInfo unranged("n", 1, 0, -1, -1, "", false, false);
  EXPECT_EQ(std::string::npos, unranged.toXml().find("dataRange"));
  CFiConfigParamInfo halfRanged("n", 1, 0, -1, 5, "", true, false);
  EXPECT_NE(std::string::npos, halfRanged.toXml().find("\t<rangeMax>5</rangeMax>\n"));
  CFiConfigParamInfo ranged("n", 1, 0, 0, 10, "", false, false);
  EXPECT_NE(std::string::npos,
            ranged.toXml().find("<dataRange>\n\t<rangeMin>0</rangeMin>\n\t<rangeMax>10</rangeMax>\n"
                                "</dataRange>\n\t<defaultValue>1</defaultValue>\n"));
  CFiConfigParamInfo rangedBool("b", true, 0, "", false, false);
  rangedBool.setRangeMin(0);
  EXPECT_EQ(std::string::npos, rangedBool.toXml().find("dataRange"));

  CFiConfigParamInfo plain("s", "a", 0, "", false, false);
  plain.addSelectionItem("a");
  EXPECT_EQ(std::string::npos, plain.toXml().find("selectionList"));
  CFiConfigParamInfo listed("s", "a", 0, "", true, false);
  listed.addSelectionItem("a");
  listed.addSelectionItem("b<c");
  EXPECT_NE(std::string::npos,
            listed.toXml().find("<selectionList>\n\t<selectionItem>a</selectionItem>\n"
                                "\t<selectionItem>b&lt;c</selectionItem>\n</selectionList>\n"));
}

TEST(ConfigParamInfo, ListIsOrderedByKeyReplacesAndGivesDefaults) {
  CFiConfigParamInfoList list;
  list.addParamInfo(CFiConfigParamInfo("b", "old", 0, "", false, false));
  list.addParamInfo(CFiConfigParamInfo("a", 3, 0, -1, -1, "", false, false));
  list.addParamInfo(CFiConfigParamInfo("b", "new", 0, "", false, false));
  ASSERT_EQ(2u, list.size());
  EXPECT_EQ((std::vector<std::string>{"a", "b"}), list.getKeys());
  EXPECT_LT(xml(list.getXML()).find("<key>a</key>"), xml(list.getXML()).find("<key>b</key>"));

  CFiConfigParamDataList defaults = list.getDefaultDataList();
  std::string value;
  ASSERT_EQ(0, defaults.getValue("a", value));
  EXPECT_EQ("3", value);
  ASSERT_EQ(0, defaults.getValue("b", value));
  EXPECT_EQ("new", value);
  EXPECT_NE(0, defaults.getValue("c", value));
  EXPECT_EQ("new", value);  // unchanged on a missing key
}

TEST(ConfigParamData, WritesSingleValuesValueListsAndEscapes) {
  CFiConfigParamDataList list;
  CFiConfigParamData listed;
  listed.setKey("k2");
  listed.addValue("a");
  listed.addValue("b");
  listed.setValue("ignored");
  list.addParamData(listed);
  list.setValue("k1", "a<b&'\"c>");
  EXPECT_EQ(kDeclaration +
                "<ConfigValueList>\n"
                "<ConfigValue>\n"
                "\t<dataType></dataType>\n"
                "\t<key>k1</key>\n"
                "\t<value>a&lt;b&amp;&#39;&quot;c&gt;</value>\n"
                "</ConfigValue>\n"
                "<ConfigValue>\n"
                "\t<dataType></dataType>\n"
                "\t<key>k2</key>\n"
                "<valueList>\n"
                "\t<value>a</value>\n"
                "\t<value>b</value>\n"
                "</valueList>\n"
                "</ConfigValue>\n"
                "</ConfigValueList>\n",
            xml(list.getXML()));

  // Format options write their own element names.
  CFiFormatOptionList options;
  options.addParamData(CFiFormatOption("fs", "ntfs"));
  EXPECT_EQ(kDeclaration +
                "<FormatOptionValueList>\n<FormatOptionValue>\n\t<dataType></dataType>\n"
                "\t<key>fs</key>\n\t<value>ntfs</value>\n</FormatOptionValue>\n"
                "</FormatOptionValueList>\n",
            xml(options.getXML()));
}

}  // namespace
