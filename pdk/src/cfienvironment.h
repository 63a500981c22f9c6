// The process environment, as the kit and the provider read it.
//
// Every variable the library reads (TMPDIR, QUELB_REGISTRY,
// QUELB_SLEEP_SCALE, QUELB_CLI_LOCK_KEY, PATH) is read here. Values are
// UTF-8 text. For every one of them an empty value means the same as an
// unset one, so the two read alike: as the empty text.
#ifndef QLB_PDK_CFIENVIRONMENT_H
#define QLB_PDK_CFIENVIRONMENT_H

#include <string>

#include "cfiexport.h"

namespace quelb_pdk_4_4 {

// The value of the environment variable `name`; empty when it is unset.
QLB_PDK_EXPORT std::string fiGetEnvironment(const char* name);

// A replacement environment: sets `value` and returns true when `name` is
// set. Tests install one to give the library variables of their own
// without changing the process's environment.
typedef bool (*FiEnvironmentFunction)(const char* name, std::string& value);

// Installs a replacement (null restores the process's environment) and
// returns the previous one (null for the process's). Process-wide; not
// meant to be changed while other threads read variables.
QLB_PDK_EXPORT FiEnvironmentFunction fiSetEnvironmentFunction(FiEnvironmentFunction fn);

// The platform's read of the process's environment (the platform file's);
// callers use fiGetEnvironment.
bool fiPlatformGetEnvironment(const char* name, std::string& value);

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIENVIRONMENT_H
