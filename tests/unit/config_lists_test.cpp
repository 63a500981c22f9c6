// Configuration parameter descriptions, values and format options: XML out and back in.
#include <gtest/gtest.h>
#include <quelb/quelb_records.h>

#include "cficonfig.h"
#include "cfiformatoption.h"
#include "cfistringtool.h"

using namespace quelb_pdk_4_4;

namespace {

std::string xml(const tstring& text) { return CFiStringTool::tstr2str(text); }
std::wstring wide(const std::string& s) { return CFiStringTool::str2wstr(s); }

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

TEST(ConfigReaders, ValueListRoundTripKeepsEscapesAndValueLists) {
  CFiConfigParamDataList written;
  written.setValue("spec", "a<b & [SYM1##0A1;0B2]\r\n'\"");
  CFiConfigParamData listed("list", "");
  listed.addValue("a");
  listed.addValue(" b ");
  written.addParamData(listed);
  written.setValue("empty", "");

  CFiConfigParamDataList read;
  ASSERT_EQ(0, read.parse(written.getXML().c_str()));
  EXPECT_EQ(xml(written.getXML()), xml(read.getXML()));
  std::string value;
  ASSERT_EQ(0, read.getValue("spec", value));
  EXPECT_EQ("a<b & [SYM1##0A1;0B2]\r\n'\"", value);
  CFiValueRecord record;
  ASSERT_TRUE(read.getParamData("list", record));
  EXPECT_EQ((std::vector<std::string>{"a", " b "}), record.getValueList());

  // The later record of a key wins; a value after a value list is single again.
  CFiConfigParamDataList later;
  const std::string doc = kDeclaration +
                          "<ConfigValueList>"
                          "<ConfigValue><key>k</key><value>first</value></ConfigValue>"
                          "<ConfigValue><dataType>int</dataType><key>k</key>"
                          "<valueList><value>1</value><value>2</value></valueList>"
                          "<value>single</value><unknown>x</unknown></ConfigValue>"
                          "</ConfigValueList>";
  ASSERT_EQ(0, later.parse(wide(doc).c_str()));
  ASSERT_EQ(1u, later.size());
  ASSERT_TRUE(later.getParamData("k", record));
  EXPECT_EQ("single", record.getValue());
  EXPECT_EQ((std::vector<std::string>{"1", "2"}), record.getValueList());
  EXPECT_NE(std::string::npos, xml(later.getXML()).find("<valueList>"));  // regenerated

  CFiFormatOptionList options, optionsRead;
  options.setValue("fs", "x&y");
  ASSERT_EQ(0, optionsRead.parse(options.getXML().c_str()));
  ASSERT_EQ(0, optionsRead.getValue("fs", value));
  EXPECT_EQ("x&y", value);
  // A well-formed document of another kind holds no format options.
  EXPECT_EQ(0, optionsRead.parse(written.getXML().c_str()));
  EXPECT_EQ(0u, optionsRead.size());
}

TEST(ConfigReaders, RejectedDocumentsLeaveTheRecordsOtherDocumentsHoldNone) {
  CFiConfigParamDataList list;
  list.setValue("keep", "me");
  const std::string before = xml(list.getXML());
  const char* rejected[] = {
      "<ConfigValueList><ConfigValue><key>k</key></ConfigValueList>",  // not well formed
      "",                                                              // empty
      "<ConfigValueList><ConfigValue><key>k</key><value>v</value></ConfigValue>",  // unclosed
      // XML 1.1 carries control characters a list could not write back.
      "<?xml version=\"1.1\"?><ConfigValueList><ConfigValue><key>k</key>"
      "<value>a&#3;b</value></ConfigValue></ConfigValueList>",
  };
  for (const char* doc : rejected) {
    EXPECT_EQ(QLB_ERR_INVALID_ARG, list.parse(wide(doc).c_str())) << doc;
    EXPECT_EQ(before, xml(list.getXML())) << doc;
  }
  EXPECT_EQ(QLB_ERR_INVALID_ARG, list.parse(nullptr));
  EXPECT_EQ(before, xml(list.getXML()));

  // Only the parser's rejection is an error: well-formed documents without
  // the list element, or of another kind, hold no records.
  for (const wchar_t* empty : {L"<ConfigValueList></ConfigValueList>",
                               L"<ConfigParamList></ConfigParamList>", L"<other/>"}) {
    list.setValue("keep", "me");
    EXPECT_EQ(0, list.parse(empty));
    EXPECT_EQ(0u, list.size());
  }

  CFiConfigParamInfoList info;
  info.addParamInfo(CFiConfigParamInfo("keep", "", 0, "", false, false));
  EXPECT_EQ(QLB_ERR_INVALID_ARG, info.parse(L"<ConfigParamList><ConfigParam>"));
  EXPECT_EQ(QLB_ERR_INVALID_ARG, info.parse(L"<?xml version=\"1.1\"?><ConfigParamList>"
                                            L"<ConfigParam><key>&#31;</key></ConfigParam>"
                                            L"</ConfigParamList>"));
  EXPECT_EQ((std::vector<std::string>{"keep"}), info.getKeys());
  EXPECT_EQ(0, info.parse(L"<ConfigValueList></ConfigValueList>"));
  EXPECT_EQ(0u, info.size());
}

TEST(ConfigReaders, DescriptionRoundTripForEveryType) {
  CFiConfigParamInfoList written;
  written.addParamInfo(
      CFiConfigParamInfo("a_int", 5, FI_CONFIG_USAGE_AUTO, 0, 10, "MSG_A", false, true));
  written.addParamInfo(
      CFiConfigParamInfo("b_ints", -1, FI_CONFIG_USAGE_NO_MODIFY, -1, -1, "", true, false));
  written.addParamInfo(
      CFiConfigParamInfo("c_bool", true, FI_CONFIG_USAGE_SELECT, "m", false, false));
  written.addParamInfo(CFiConfigParamInfo("d_bools", false, 3, "m", true, false));
  CFiConfigParamInfo choices("e_strs", "x<y", FI_CONFIG_USAGE_SELECT, "m", true, false);
  choices.addSelectionItem("x<y");
  choices.addSelectionItem("z");
  written.addParamInfo(choices);
  written.addParamInfo(CFiConfigParamInfo("f_str", "", FI_CONFIG_USAGE_SELECT, "", false, false));
  CFiConfigParamInfo unknown;
  unknown.setKey("g_unknown");
  written.addParamInfo(unknown);

  CFiConfigParamInfoList read;
  ASSERT_EQ(0, read.parse(written.getXML().c_str()));
  // The text is written anew from the records read, so every field came back.
  EXPECT_EQ(xml(written.getXML()), xml(read.getXML()));
}

TEST(ConfigReaders, SharedFlagAndTypeTexts) {
  struct {
    const char* shared;
    bool expected;
  } flags[] = {{"true", true},   {"yes", true},   {"1", true},
               {"false", false}, {"TRUE", false}, {"", false}};
  for (const auto& f : flags) {
    std::string doc = std::string("<ConfigParamList><ConfigParam><key>k</key><isSharedParam>") +
                      f.shared +
                      "</isSharedParam><usageType>sometimes</usageType>"
                      "<dataType>float</dataType><rangeMin>-5</rangeMin></ConfigParam>"
                      "</ConfigParamList>";
    CFiConfigParamInfoList list;
    ASSERT_EQ(0, list.parse(wide(doc).c_str()));
    CFiConfigParamInfo info;
    ASSERT_TRUE(list.getParamInfo("k", info));
    EXPECT_EQ(f.expected, info.isShared()) << f.shared;
    EXPECT_EQ(FI_CONFIG_USAGE_UNKNOWN, info.getUsageType());
    EXPECT_EQ(FI_CONFIG_DATA_UNKNOWN, info.getDataType());
    EXPECT_EQ(-5, info.getRangeMin());
    EXPECT_EQ(-1, info.getRangeMax());
  }
}

}  // namespace
