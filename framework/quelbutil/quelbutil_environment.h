// The environment as the utility library reads it (QUELB_INSTALL_ROOT,
// QUELB_CONSUMER, QUELB_CREDENTIALS_FILE). The library is not part of the
// kit, which links against it, so it has its platform file of its own:
// quelbutil_environment_posix.cpp (a Windows file beside it later).
#ifndef QUELBUTIL_ENVIRONMENT_H
#define QUELBUTIL_ENVIRONMENT_H

#include <string>

namespace quelbutil {

// The variable's value as UTF-8 text; empty when it is unset.
std::string environment(const char* name);

}  // namespace quelbutil

#endif  // QUELBUTIL_ENVIRONMENT_H
