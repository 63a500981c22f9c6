// Messages, the provider's ICU catalogs and the catalog manager.
#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "cfiicucatalog.h"
#include "cfiicumessage.h"
#include "cfimsgcatalogmgr.h"
#include "cfistringtool.h"
#include "isolated_install.h"

using namespace quelb_pdk_4_4;
using testenv::IsolatedInstall;

namespace {

std::string N(const tstring& s) { return CFiStringTool::tstr2str(s); }
std::string N(const wchar_t* s) { return s ? CFiStringTool::wcs2mbs(s) : "<null>"; }
tstring T(const std::string& s) { return CFiStringTool::str2tstr(s); }

TEST(IcuMessage, EveryArgumentTypeRoundTrips) {
  icu::Formattable date(1.5e12, icu::Formattable::kIsDate);
  icu::Formattable big(static_cast<int64_t>(1) << 40);
  CFiIcuMessage message(
      "MSG_ALL",
      {CFiIcuMessage::text(T("wide \xc3\xa4 text")), icu::Formattable(2.25),
       icu::Formattable(static_cast<int32_t>(-42)), date, big, CFiIcuMessage::text(std::string())},
      QLB_SEV_ERROR, "src", 1);
  // The 64-bit number is written without a value, which the reader drops.
  EXPECT_EQ(
      "<SERIALIZED_MESSAGE MSGID=MSG_ALL SEVERITY=3>\n"
      "\t<ARGVALUE INDEX=0 TYPE=3>wide \xc3\xa4 text</ARGVALUE>\n"
      "\t<ARGVALUE INDEX=1 TYPE=1>2.25</ARGVALUE>\n\t<ARGVALUE INDEX=2 TYPE=2>-42</ARGVALUE>\n"
      "\t<ARGVALUE INDEX=3 TYPE=0>1.5e+12</ARGVALUE>\n\t<ARGVALUE INDEX=4 TYPE=5></ARGVALUE>\n"
      "\t<ARGVALUE INDEX=5 TYPE=3></ARGVALUE>\n</SERIALIZED_MESSAGE>\n",
      std::string(message.serialize()->mi_text, message.serialize()->mi_length));
  CFiIcuMessage back(message.serialize());
  EXPECT_EQ("MSG_ALL", back.messageId());
  EXPECT_EQ(QLB_SEV_ERROR, back.severity());
  ASSERT_EQ(5, back.argumentCount());
  icu::UnicodeString value;
  EXPECT_EQ("wide \xc3\xa4 text", CFiStringTool::ustr2str(back.argument(0).getString(value)));
  EXPECT_DOUBLE_EQ(2.25, back.argument(1).getDouble());
  EXPECT_EQ(-42, back.argument(2).getLong());
  EXPECT_EQ(icu::Formattable::kDouble, back.argument(3).getType());  // a date comes back as double
  EXPECT_DOUBLE_EQ(1.5e12, back.argument(3).getDouble());
  EXPECT_EQ("", CFiStringTool::ustr2str(back.argument(4).getString(value)));
}

TEST(IcuMessage, EmptyHeaderlessAndBrokenRecords) {
  CFiIcuMessage none("MSG_NONE", {}, QLB_SEV_WARNING, "src", 1);
  qlb_msg_info* record = none.serialize();
  ASSERT_NE(nullptr, record->mi_text);
  EXPECT_EQ(0u, record->mi_length);
  EXPECT_EQ('\0', record->mi_text[0]);

  for (const char* text : {"", "no header at all", "<ARGVALUE INDEX=0 TYPE=3>x</ARGVALUE>"}) {
    qlb_msg_info info = {const_cast<char*>(text), static_cast<uint32_t>(std::strlen(text))};
    CFiIcuMessage message(&info);
    EXPECT_EQ("", message.messageId()) << text;
    EXPECT_EQ(0, message.argumentCount()) << text;
  }
  CFiIcuMessage nothing(static_cast<const qlb_msg_info*>(nullptr));
  EXPECT_EQ(0, nothing.argumentCount());

  // Leading text is skipped, the index is ignored, a cut-off value and an
  // unknown type are tolerated, the length bounds the text.
  const std::string text =
      "junk<SERIALIZED_MESSAGE MSGID=MSG_B SEVERITY=3>\n"
      "\t<ARGVALUE INDEX=7 TYPE=2>12</ARGVALUE>\n"
      "\t<ARGVALUE INDEX=0 TYPE=9>?</ARGVALUE>\n"
      "\t<ARGVALUE INDEX=1 TYPE=3>tail</ARGVALUE>\n"
      "\t<ARGVALUE INDEX=2 TYPE=3>beyond the length";
  qlb_msg_info info = {const_cast<char*>(text.c_str()),
                       static_cast<uint32_t>(text.find("beyond") + 3)};
  CFiIcuMessage message(&info);
  EXPECT_EQ("MSG_B", message.messageId());
  EXPECT_EQ(QLB_SEV_ERROR, message.severity());
  ASSERT_EQ(3, message.argumentCount());
  EXPECT_EQ(12, message.argument(0).getLong());
  icu::UnicodeString value;
  EXPECT_EQ("tail", CFiStringTool::ustr2str(message.argument(1).getString(value)));
  EXPECT_EQ("bey", CFiStringTool::ustr2str(message.argument(2).getString(value)));

  // A severity the framework does not know reads as an error (found by
  // fuzzing: it was stored as an enumeration value outside the type).
  for (const char* severity : {"8", "-1", "2147483647"}) {
    const std::string odd = std::string("<SERIALIZED_MESSAGE MSGID=MSG_C SEVERITY=") + severity +
                            ">\n\t<ARGVALUE INDEX=0 TYPE=2>1</ARGVALUE>\n</SERIALIZED_MESSAGE>\n";
    qlb_msg_info record = {const_cast<char*>(odd.c_str()), static_cast<uint32_t>(odd.size())};
    EXPECT_EQ(QLB_SEV_ERROR, CFiIcuMessage(&record).severity()) << severity;
  }
}

TEST(IcuMessage, FormatsNumbersPlainlyAndFallsBackToThePattern) {
  CFiIcuMessage message("MSG_F",
                        {CFiIcuMessage::text("/opt/x"),
                         icu::Formattable(static_cast<int32_t>(12345)), icu::Formattable(0.5)},
                        QLB_SEV_WARNING, "src", 1);
  EXPECT_EQ("at /opt/x line 12345 ratio 0.5",
            N(message.formatMessage(T("at {0} line {1} ratio {2}"))));
  EXPECT_EQ("only {3} unknown", N(message.formatMessage(T("only {3} unknown"))));
  EXPECT_EQ("broken {0", N(message.formatMessage(T("broken {0"))));
  EXPECT_EQ("doesn't matter /opt/x", N(message.formatMessage(T("doesn't matter {0}"))));
}

// A catalog whose texts the test sets, to drive the manager.
class FakeCatalog : public CFiMessageCatalog {
 public:
  FakeCatalog(const std::string& language, std::map<std::string, int>* inits, bool works)
      : CFiMessageCatalog(language, T("fake")), m_inits(inits), m_works(works) {}
  int init() override {
    ++(*m_inits)[m_language];
    return m_works ? 0 : 3;
  }
  tstring getMessage(const std::string& id, const wchar_t* defaultText) override {
    if (id == "SAME_1" || id == "SAME_2") return T("same text");
    if (id == "MISSING") return defaultText ? tstring(defaultText) : T("<MISSING>");
    return T(m_language + ":" + id + " {0}");
  }

 private:
  std::map<std::string, int>* m_inits;
  bool m_works;
};

class FakeFactory : public CFiMessageCatalogFactory {
 public:
  FakeFactory() : CFiMessageCatalogFactory("root", T("fake")) {}
  CFiMessageCatalog* createCatalog(const char* language) override {
    std::string lang = language ? language : m_defaultLanguage;
    return new FakeCatalog(lang, &inits, lang == "root" || lang == "de" || lang == "later");
  }
  CFiMessage* createMessage(const qlb_msg_info* record) override {
    return new CFiIcuMessage(record);
  }
  std::map<std::string, int> inits;
};

TEST(CatalogManager, FallsBackToTheDefaultLanguageAndRetriesFailedCatalogs) {
  CFiMessageCatalogManagerPtr manager(new CFiMessageCatalogManager);
  EXPECT_EQ("<MSG_X>", N(manager->getMessage("MSG_X", nullptr, "de")));
  EXPECT_EQ("given", N(manager->getMessage("MSG_X", L"given", "de")));

  FakeFactory factory;
  manager->registerFactory(&factory);
  EXPECT_EQ(1, factory.inits["root"]);
  EXPECT_EQ("root:MSG_X {0}", N(manager->getMessage("MSG_X", nullptr, "")));
  EXPECT_EQ("de:MSG_X {0}", N(manager->getMessage("MSG_X", nullptr, "de")));
  EXPECT_EQ("root:MSG_X {0}", N(manager->getMessage("MSG_X", nullptr, "fr")));
  EXPECT_EQ("root:MSG_X {0}", N(manager->getMessage("MSG_X", nullptr, "fr")));
  EXPECT_EQ(2, factory.inits["fr"]);  // a failed catalog is tried again
  EXPECT_EQ(1, factory.inits["de"]);  // a working one is kept
  EXPECT_EQ("dflt", N(manager->getMessage("MISSING", L"dflt", "de")));

  manager->unregisterFactory(&factory);
  EXPECT_EQ("<MSG_X>", N(manager->getMessage("MSG_X", nullptr, "de")));
}

TEST(CatalogManager, HandsOutStoredTextsUntilReplacedOrDeleted) {
  CFiMessageCatalogManagerPtr manager(new CFiMessageCatalogManager);
  FakeFactory factory;
  manager->registerFactory(&factory);
  // "native" as a language: Messages.APushedFailureReachesTheCallbackAndTheFailingThreadOnly.
  const wchar_t* first = nullptr;
  manager->getLocalizedMessage("MSG_X", "de", &first);
  EXPECT_EQ("de:MSG_X {0}", N(first));
  const wchar_t* second = nullptr;
  manager->getLocalizedMessage("MSG_X", nullptr, &second);
  EXPECT_EQ("root:MSG_X {0}", N(second));

  // A serialized message in the consumer's language: Messages.APushedFailureReaches... (e2e).
  const wchar_t* formatted = L"";
  manager->getLocalizedMessage(static_cast<const qlb_msg_info*>(nullptr), "de", &formatted);
  EXPECT_EQ(nullptr, formatted);

  // Two ids with the same text: deleting removes one entry only.
  const wchar_t* same1 = nullptr;
  const wchar_t* same2 = nullptr;
  manager->getLocalizedMessage("SAME_1", "de", &same1);
  manager->getLocalizedMessage("SAME_2", "de", &same2);
  wchar_t* doomed = const_cast<wchar_t*>(same1);
  manager->deleteLocalizedMessage(&doomed);
  EXPECT_EQ(nullptr, doomed);
  wchar_t* other = const_cast<wchar_t*>(L"same text");
  manager->deleteLocalizedMessage(&other);
  EXPECT_EQ(nullptr, other);  // the second entry was still there
  wchar_t* unknown = const_cast<wchar_t*>(L"same text");
  manager->deleteLocalizedMessage(&unknown);
  EXPECT_NE(nullptr, unknown);
  EXPECT_EQ("root:MSG_X {0}", N(second));  // untouched by the deletions
  manager->unregisterFactory(&factory);
}

class ProviderCatalog : public ::testing::Test {
 protected:
  void SetUp() override { install.linkBuiltMessages(); }
  std::string text(const std::string& id, const std::string& language,
                   const wchar_t* fallback = nullptr) {
    return N(manager->getMessage(id, fallback, language));
  }

  IsolatedInstall install;
  CFiIcuMessageCatalogFactory factory{"root", T("norvel")};
  CFiMessageCatalogManagerPtr manager{new CFiMessageCatalogManager};
};

// The process locale (German here) never picks the language.
TEST_F(ProviderCatalog, ReadsTheBundlesOfTheInstallation) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Locale previous = icu::Locale::getDefault();
  icu::Locale::setDefault(icu::Locale("de_DE"), status);
  manager->registerFactory(&factory);
  const std::string english = text("MSG_ERROR_NO_ARRAYS_DISCOVERED", "root");
  EXPECT_EQ(0u, english.find("norvel: No locally attached Symmetrix array was found."));
  // German, and French falling back to the default: Messages.APushedFailureReaches... (e2e).
  // A regional variant falls back to ICU's parent language, which counts as
  // failure: the default language answers.
  EXPECT_EQ(english, text("MSG_ERROR_NO_ARRAYS_DISCOVERED", "de_AT"));
  // A language is no path: this one would reach the German bundle.
  EXPECT_EQ(english, text("MSG_ERROR_NO_ARRAYS_DISCOVERED", "../libnorvel/de"));
  EXPECT_EQ("norvel: <MSG_ERROR_NOT_THERE>", text("MSG_ERROR_NOT_THERE", "de"));
  EXPECT_EQ("as given", text("MSG_ERROR_NOT_THERE", "root", L"as given"));

  // Every result code that the entry points return has its text.
  for (const char* code :
       {"0001", "0003", "0004", "0005", "0006", "0007", "0019", "0021", "0026", "0030", "0031"}) {
    for (const char* language : {"root", "de"}) {
      std::string found = text(std::string("MSG_ERROR_NORVEL_") + code, language);
      EXPECT_EQ(std::string::npos, found.find('<')) << code << " " << language;
    }
  }
  icu::Locale::setDefault(previous, status);
  manager->unregisterFactory(&factory);
}

// Each select and plural form of the cause messages, in both languages, holds its arguments and
// no pattern syntax.
TEST_F(ProviderCatalog, CauseMessagesFormatEveryFormInBothLanguages) {
  manager->registerFactory(&factory);
  const auto text = [](const char* value) { return CFiIcuMessage::text(std::string(value)); };
  const struct {
    const char* id;
    std::vector<icu::Formattable> arguments;
    std::vector<const char*> root;  // in the default text
    std::vector<const char*> both;  // in both texts
  } cases[] = {
      {"MSG_ERROR_UNHANDLED_EXEC_PIPE_EXCEPTION",
       {text("QLB_EXEC_PIPE_CMD_FAILED"), text("\"/s/symmir\"  -sid 1 split"), text("f"), 7, 1067,
        text("Device busy\nTry later\n"), 2},
       // 1067: the pipe stopped the child after its read time-out.
       {"gave no answer within its time-out and was stopped (exit status 1067). Its "
        "output:\nDevice"},
       {"\"/s/symmir\"  -sid 1 split", "1067)", "Device busy\nTry later"}},
      {"MSG_ERROR_UNHANDLED_EXEC_PIPE_EXCEPTION",
       {text("QLB_EXEC_PIPE_READ_TIMEOUT"), text("symcfg list"), text("f"), 7, 0, text(""), 0},
       {"gave no answer within its time-out", "It printed nothing."},
       {"symcfg list"}},
      {"MSG_ERROR_UNHANDLED_EXEC_PIPE_EXCEPTION",
       {text("QLB_EXEC_PIPE_EXE_DOES_NOT_EXIST"), text("symdev list"), text("f"), 7, 0, text(""),
        0},
       {"the program does not exist"},
       {"symdev list"}},
      {"MSG_ERROR_UNHANDLED_EXEC_PIPE_EXCEPTION",
       {text("QLB_EXEC_PIPE_CREATE_PIPE_FAILED"), text("symdev list"), text("f"), 7, 0, text(""),
        0},
       {"could not be run (QLB_EXEC_PIPE_CREATE_PIPE_FAILED)"},
       {"symdev list"}},
      {"MSG_ERROR_CLI_COMMAND_FAILED",
       {text("[determineSplitType]"), text("f"), 9, text("Pair is not in split state"), text(""),
        0},
       {"The provider step [determineSplitType] failed: Pair is not in split state."},
       {"[determineSplitType]", "Pair is not in split state"}},
      {"MSG_ERROR_CLI_COMMAND_FAILED",
       {text("symcfg list"), text("f"), 9, text("[cleanXML]"), text("no XML\n"), 1},
       {"ended with exit status 0", "[cleanXML]. Its output:\nno XML"},
       {"symcfg list", "no XML"}},
      {"MSG_ERROR_CONFIG_FILE_UNREADABLE",
       {text("/etc/x.conf"), 1234, text("value"), text("\"A\"=yes")},
       {"line 1234 has a value that is none of"},
       {"/etc/x.conf", "1234", "\"A\"=yes"}},
      {"MSG_ERROR_CONFIG_FILE_UNREADABLE",
       {text("/etc/x.conf"), 0, text("unreadable"), text("Permission denied")},
       {"it cannot be read (Permission denied)"},
       {"/etc/x.conf", "Permission denied"}},
      {"MSG_ERROR_FILTER_UNKNOWN_ATTRIBUTE",
       {text("colour"), text("vendor_id, udid")},
       {"does not know"},
       {"colour", "vendor_id, udid"}},
      {"MSG_ERROR_FILTER_MATCHES_NOTHING",
       {text("enclosure_id"), text("0999"), text("0001, 0002")},
       {"no array 0999 is attached to this host; the local arrays are 0001, 0002"},
       {"enclosure_id=0999", "0001, 0002"}},
      {"MSG_ERROR_FILTER_MATCHES_NOTHING",
       {text("vendor_id"), text("HDS"), text("EMC")},
       {"this provider answers only for EMC"},
       {"vendor_id=HDS"}},
  };
  for (const auto& c : cases) {
    CFiMessagePtr message(new CFiIcuMessage(
        c.id, c.arguments.data(), static_cast<int32_t>(c.arguments.size()), QLB_SEV_ERROR, "f", 1));
    const std::string english = N(manager->getLocalizedMessage(message, "root"));
    const std::string german = N(manager->getLocalizedMessage(message, "de"));
    EXPECT_NE(english, german) << c.id;
    for (const char* part : c.root) EXPECT_NE(std::string::npos, english.find(part)) << english;
    for (const std::string& formatted : {english, german}) {
      for (const char* part : c.both)
        EXPECT_NE(std::string::npos, formatted.find(part)) << part << " in " << formatted;
      EXPECT_EQ(std::string::npos, formatted.find_first_of("{}")) << formatted;
      EXPECT_EQ(std::string::npos, formatted.find("<MSG")) << formatted;
    }
  }
  manager->unregisterFactory(&factory);
}

TEST_F(ProviderCatalog, AMissingBundleGivesTheFallbackTexts) {
  IsolatedInstall bare;  // a second installation, without messages
  manager->registerFactory(&factory);
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ("<MSG_ERROR_NORVEL_0006>", text("MSG_ERROR_NORVEL_0006", "root"));
    EXPECT_EQ("kept", text("MSG_ERROR_NORVEL_0006", "de", L"kept"));
  }
  EXPECT_TRUE(testenv::fileExists(bare.root() + "Messages"));
  manager->unregisterFactory(&factory);
}

}  // namespace
