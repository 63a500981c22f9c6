// Reading the configuration parameter documents back: round trips,
// duplicate keys, the texts each field accepts, and rejected documents
// that leave the lists as they were.
#include <gtest/gtest.h>
#include <quelb/quelb_records.h>

#include "cficonfig.h"
#include "cfiformatoption.h"
#include "cfistringtool.h"

using namespace quelb_pdk_4_4;

namespace {

std::wstring wide(const std::string& s) { return CFiStringTool::str2wstr(s); }
std::string xml(const tstring& text) { return CFiStringTool::tstr2str(text); }

const char kHead[] = "<?xml version=\"1.0\" standalone=\"yes\" ?>\n";

TEST(ConfigReaders, ValueListRoundTripKeepsEscapesAndValueLists) {
  CFiConfigParamDataList written;
  written.setValue("spec", "a<b & [SYM1##0A1;0B2]\n'\"");
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
  EXPECT_EQ("a<b & [SYM1##0A1;0B2]\n'\"", value);
  CFiValueRecord record;
  ASSERT_TRUE(read.getParamData("list", record));
  EXPECT_EQ((std::vector<std::string>{"a", " b "}), record.getValueList());

  CFiFormatOptionList options, optionsRead;
  options.setValue("fs", "x&y");
  ASSERT_EQ(0, optionsRead.parse(options.getXML().c_str()));
  ASSERT_EQ(0, optionsRead.getValue("fs", value));
  EXPECT_EQ("x&y", value);
  // A well-formed document of another kind holds no format options.
  EXPECT_EQ(0, optionsRead.parse(written.getXML().c_str()));
  EXPECT_EQ(0u, optionsRead.size());
}

TEST(ConfigReaders, LaterRecordOfAKeyWinsAndValuesAfterAValueListAreSingleAgain) {
  CFiConfigParamDataList list;
  const std::string doc = std::string(kHead) +
                          "<ConfigValueList>"
                          "<ConfigValue><key>k</key><value>first</value></ConfigValue>"
                          "<ConfigValue><dataType>int</dataType><key>k</key>"
                          "<valueList><value>1</value><value>2</value></valueList>"
                          "<value>single</value><unknown>x</unknown></ConfigValue>"
                          "</ConfigValueList>";
  ASSERT_EQ(0, list.parse(wide(doc).c_str()));
  ASSERT_EQ(1u, list.size());
  CFiValueRecord record;
  ASSERT_TRUE(list.getParamData("k", record));
  EXPECT_EQ("single", record.getValue());
  EXPECT_EQ((std::vector<std::string>{"1", "2"}), record.getValueList());
  EXPECT_NE(std::string::npos, xml(list.getXML()).find("<valueList>"));  // regenerated
}

TEST(ConfigReaders, RejectedDocumentsLeaveTheRecordsOtherDocumentsHoldNone) {
  CFiConfigParamDataList list;
  list.setValue("keep", "me");
  const std::string before = xml(list.getXML());
  const char* rejected[] = {
      "<ConfigValueList><ConfigValue><key>k</key></ConfigValueList>",  // not well formed
      "",                                                              // empty
      "<ConfigValueList><ConfigValue><key>k</key><value>v</value></ConfigValue>",  // unclosed
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
  EXPECT_EQ(xml(written.getXML()), xml(read.getXML()));
  CFiConfigParamInfo a;
  ASSERT_TRUE(read.getParamInfo("a_int", a));
  EXPECT_TRUE(a.isShared());
  EXPECT_EQ(10, a.getRangeMax());
  EXPECT_EQ(FI_CONFIG_USAGE_AUTO, a.getUsageType());
  CFiConfigParamInfo e;
  ASSERT_TRUE(read.getParamInfo("e_strs", e));
  EXPECT_EQ((std::vector<std::string>{"x<y", "z"}), e.getSelectionItems());
  EXPECT_EQ("x<y", e.getDefaultValue());
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
