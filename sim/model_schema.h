// The model's tables, its settings, and the database as a whole.
#ifndef SYMSIM_MODEL_SCHEMA_H
#define SYMSIM_MODEL_SCHEMA_H

#include <cstdint>
#include <string>
#include <vector>

#include "database.h"

namespace symsim {

// Drops whatever the database holds and creates empty tables.
void createSchema(Database& db);

// How much the database holds.
struct Totals {
  int64_t arrays = 0;
  int64_t devices = 0;
  int64_t hosts = 0;
};
Totals totals(Database& db);

// Folds the journal into the file and leaves a single file behind, so that
// the database can be moved into place.
void makeSelfContained(Database& db);

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

#endif  // SYMSIM_MODEL_SCHEMA_H
