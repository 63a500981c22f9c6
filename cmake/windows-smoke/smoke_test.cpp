// Smoke test of the Windows dependency prefix: each library is linked,
// loaded from its DLL under Wine and used the way the project uses it.
#include <ace/Configuration.h>
#include <ace/Configuration_Import_Export.h>
#include <ace/Init_ACE.h>
#include <ace/OS_NS_unistd.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unicode/locid.h>
#include <unicode/msgfmt.h>
#include <unicode/uchar.h>
#include <unicode/uclean.h>
#include <unicode/ures.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/sax2/Attributes.hpp>
#include <xercesc/sax2/DefaultHandler.hpp>
#include <xercesc/sax2/SAX2XMLReader.hpp>
#include <xercesc/sax2/XMLReaderFactory.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLString.hpp>

namespace {

using testing::ElementsAre;
using testing::HasSubstr;

// --- ACE ---------------------------------------------------------------------

std::string stringValue(ACE_Configuration& config, const ACE_Configuration_Section_Key& key,
                        const char* name) {
  ACE_TString value;
  return config.get_string_value(key, name, value) == 0 ? value.c_str() : "<missing>";
}

TEST(Ace, ConfigurationHeapRoundTripsThroughARegistryFileAndTheWindowsRegistry) {
  ASSERT_GE(ACE::init(), 0);  // 1: the DLL already set ACE up
  const char* file = "smoke-config.reg";
  {
    ACE_Configuration_Heap written;
    ASSERT_EQ(0, written.open());
    ACE_Configuration_Section_Key section;
    ASSERT_EQ(0, written.open_section(written.root_section(), "SYMAPI\\Config", true, section));
    ASSERT_EQ(0, written.set_string_value(section, "InstallDir64",
                                          ACE_TString("C:\\Program Files\\Quelb\\")));
    ASSERT_EQ(0, written.set_integer_value(section, "Retries", 300));
    ASSERT_EQ(0, ACE_Registry_ImpExp(written).export_config(file));

    ACE_Configuration_Heap read;
    ASSERT_EQ(0, read.open());
    ASSERT_EQ(0, ACE_Registry_ImpExp(read).import_config(file));
    ACE_OS::unlink(file);
    ASSERT_EQ(0, read.open_section(read.root_section(), "SYMAPI\\Config", false, section));
    EXPECT_EQ("C:\\Program Files\\Quelb\\", stringValue(read, section, "InstallDir64"));
    u_int retries = 0;
    EXPECT_EQ(0, read.get_integer_value(section, "Retries", retries));
    EXPECT_EQ(300u, retries);
  }
  {
    const char* path = "Software\\NorvelWindowsSmoke";
    HKEY key = ACE_Configuration_Win32Registry::resolve_key(HKEY_CURRENT_USER, path, true);
    ASSERT_NE(nullptr, key);
    {
      ACE_Configuration_Win32Registry registry(key);  // owns and closes the key
      ACE_Configuration_Section_Key section;
      ASSERT_EQ(0, registry.open_section(registry.root_section(), "Consumer", true, section));
      ASSERT_EQ(0, registry.set_string_value(section, "Name", ACE_TString("norvel")));
      EXPECT_EQ("norvel", stringValue(registry, section, "Name"));
      EXPECT_EQ("<missing>", stringValue(registry, section, "Absent"));
    }
    char data[64] = {};
    DWORD size = sizeof data;
    EXPECT_EQ(ERROR_SUCCESS,
              RegGetValueA(HKEY_CURRENT_USER, "Software\\NorvelWindowsSmoke\\Consumer", "Name",
                           RRF_RT_REG_SZ, nullptr, data, &size));
    EXPECT_STREQ("norvel", data);
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteTreeA(HKEY_CURRENT_USER, path));
  }
  ACE::fini();
}

// --- Xerces-C ----------------------------------------------------------------

class DeviceCollector : public xercesc::DefaultHandler {
 public:
  void startElement(const XMLCh*, const XMLCh* localname, const XMLCh*,
                    const xercesc::Attributes& attributes) override {
    if (text(localname) == "Device") devices.push_back(text(attributes.getValue(u"name")));
  }
  void fatalError(const xercesc::SAXParseException&) override { ++errors; }

  static std::string text(const XMLCh* value) {
    if (value == nullptr) return "<none>";
    char* bytes = xercesc::XMLString::transcode(value);
    std::string result(bytes);
    xercesc::XMLString::release(&bytes);
    return result;
  }

  std::vector<std::string> devices;
  int errors = 0;
};

std::vector<std::string> parseDevices(const std::string& document, int* errors) {
  std::unique_ptr<xercesc::SAX2XMLReader> reader(xercesc::XMLReaderFactory::createXMLReader());
  DeviceCollector collector;
  reader->setContentHandler(&collector);
  reader->setErrorHandler(&collector);
  xercesc::MemBufInputSource input(reinterpret_cast<const XMLByte*>(document.data()),
                                   document.size(), "smoke");
  reader->parse(input);
  *errors = collector.errors;
  return collector.devices;
}

TEST(Xerces, Sax2ParseReportsElementsAndMalformedInput) {
  xercesc::XMLPlatformUtils::Initialize();
  int errors = -1;
  EXPECT_THAT(parseDevices("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"
                           "<SymCLI_ML><Symmetrix><Device name=\"0A1B\"/>"
                           "<Device name=\"0A1C\" status=\"Not Ready\"/></Symmetrix></SymCLI_ML>",
                           &errors),
              ElementsAre("0A1B", "0A1C"));
  EXPECT_EQ(0, errors);
  parseDevices("<SymCLI_ML><Device name=\"0A1B\"></SymCLI_ML>", &errors);
  EXPECT_EQ(1, errors);
  xercesc::XMLPlatformUtils::Terminate();
}

// --- ICU ---------------------------------------------------------------------

struct Bundle {
  std::string actualLocale;
  UErrorCode status = U_ZERO_ERROR;
  icu::UnicodeString greeting;
  icu::UnicodeString devices;
};

Bundle openBundle(const char* locale) {
  Bundle bundle;
  UResourceBundle* resources = ures_open("./bundles/", locale, &bundle.status);
  if (U_FAILURE(bundle.status)) return bundle;
  UErrorCode status = U_ZERO_ERROR;
  bundle.actualLocale = ures_getLocaleByType(resources, ULOC_ACTUAL_LOCALE, &status);
  int32_t length = 0;
  const UChar* text = ures_getStringByKey(resources, "Greeting", &length, &status);
  if (U_SUCCESS(status)) bundle.greeting.setTo(text, length);
  text = ures_getStringByKey(resources, "Devices", &length, &status);
  if (U_SUCCESS(status)) bundle.devices.setTo(text, length);
  ures_close(resources);
  return bundle;
}

std::string format(const icu::UnicodeString& pattern, const char* locale,
                   std::vector<icu::Formattable> arguments) {
  UErrorCode status = U_ZERO_ERROR;
  icu::MessageFormat message(pattern, icu::Locale(locale), status);
  icu::UnicodeString out;
  icu::FieldPosition position;
  message.format(arguments.data(), static_cast<int32_t>(arguments.size()), out, position, status);
  std::string utf8;
  if (U_FAILURE(status)) return std::string("<") + u_errorName(status) + ">";
  return out.toUTF8String(utf8);
}

TEST(Icu, BundlesFallBackToRootAndFormatNumbersPluralsAndDates) {
  UErrorCode status = U_ZERO_ERROR;
  uloc_setDefault("en_US", &status);
  u_init(&status);
  ASSERT_TRUE(U_SUCCESS(status)) << u_errorName(status);

  Bundle german = openBundle("de_AT");
  EXPECT_EQ(U_USING_FALLBACK_WARNING, german.status) << u_errorName(german.status);
  EXPECT_EQ("de", german.actualLocale);
  std::string greeting;
  EXPECT_EQ("Grüß Gott", german.greeting.toUTF8String(greeting));
  Bundle french = openBundle("fr_FR");
  EXPECT_EQ(U_USING_DEFAULT_WARNING, french.status) << u_errorName(french.status);
  EXPECT_EQ("root", french.actualLocale);

  EXPECT_EQ("1 device of 1,234.5 GB", format(french.devices, "en", {1, 1234.5}));
  EXPECT_EQ("3 Geräte mit 1.234,5 GB", format(german.devices, "de", {3, 1234.5}));
  EXPECT_EQ("1234.5 and 42",
            format(icu::UnicodeString::fromUTF8("{0} and {1}"), "en_US_POSIX", {1234.5, 42}));
  const UDate midsummer2024 = 1719835200000.0;  // 2024-07-01 12:00 UTC
  EXPECT_EQ("2024", format(icu::UnicodeString::fromUTF8("{0,date,yyyy}"), "en_US_POSIX",
                           {icu::Formattable(midsummer2024, icu::Formattable::kIsDate)}));
  EXPECT_EQ(U'Ä', static_cast<char32_t>(u_toupper(U'ä')));
  u_cleanup();
}

// --- SQLite ------------------------------------------------------------------

std::vector<std::string> query(sqlite3* db, const char* sql) {
  std::vector<std::string> rows;
  char* error = nullptr;
  int status = sqlite3_exec(
      db, sql,
      [](void* out, int columns, char** values, char**) {
        for (int i = 0; i < columns; ++i) {
          static_cast<std::vector<std::string>*>(out)->push_back(values[i] ? values[i] : "NULL");
        }
        return 0;
      },
      &rows, &error);
  if (status != SQLITE_OK) rows.push_back(std::string("error: ") + (error ? error : "?"));
  sqlite3_free(error);
  return rows;
}

TEST(Sqlite, InMemoryQueryAndWriteAheadLogOnAFile) {
  sqlite3* db = nullptr;
  ASSERT_EQ(SQLITE_OK, sqlite3_open(":memory:", &db));
  EXPECT_THAT(query(db,
                    "CREATE TABLE device(name TEXT, size INTEGER);"
                    "INSERT INTO device VALUES ('0A1B', 10), ('0A1C', 32);"
                    "SELECT count(*), sum(size) FROM device;"),
              ElementsAre("2", "42"));
  sqlite3_close(db);

  const char* file = "smoke.db";
  ASSERT_EQ(SQLITE_OK, sqlite3_open(file, &db));
  EXPECT_THAT(query(db, "PRAGMA journal_mode=WAL;"), ElementsAre("wal"));
  EXPECT_THAT(query(db, "CREATE TABLE t(x); INSERT INTO t VALUES (7); SELECT x FROM t;"),
              ElementsAre("7"));
  sqlite3_close(db);
  EXPECT_EQ(0, ACE_OS::unlink(file));
  EXPECT_THAT(sqlite3_libversion(), HasSubstr("3."));
}

}  // namespace
