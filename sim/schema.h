// The tables of a simulator database and its settings.
#ifndef SYMSIM_SCHEMA_H
#define SYMSIM_SCHEMA_H

#include <string>
#include <vector>

#include "database.h"

namespace symsim {

// Drops whatever the database holds and creates empty tables.
void createSchema(Database& db);

// Settings are text values keyed by name; a missing key reads as `fallback`.
std::string getSetting(Database& db, const std::string& key, const std::string& fallback);
void setSetting(Database& db, const std::string& key, const std::string& value);

// The setting names and their defaults.
namespace setting {
constexpr const char* kVersion = "version";                  // "V7.0.0.0"
constexpr const char* kProgress = "progress";                // "queries" or "time"
constexpr const char* kCopyQueries = "copy_queries";         // 2
constexpr const char* kSplitQueries = "split_queries";       // 1
constexpr const char* kCopyRate = "copy_rate";               // 200 (megabytes per second)
constexpr const char* kSplitSeconds = "split_seconds";       // 1
constexpr const char* kClockOffset = "clock_offset";         // 0 (seconds added to the real clock)
constexpr const char* kLocalName = "local_host_name";        // empty: gethostname()
constexpr const char* kLocalAddress = "local_host_address";  // empty: resolved
}  // namespace setting

// Every setting with its default, in a fixed order (for listings).
struct SettingInfo {
  const char* key;
  const char* fallback;
  const char* meaning;
};
const std::vector<SettingInfo>& allSettings();
// The default of a known setting; null for an unknown key.
const SettingInfo* findSetting(const std::string& key);

}  // namespace symsim

#endif  // SYMSIM_SCHEMA_H
