// What quelbctl's commands share for showing the provider's answers.
#ifndef QUELBCTL_REPORT_H
#define QUELBCTL_REPORT_H

#include <quelb/quelb_pgn.h>

#include <string>

// Wide text of the provider as UTF-8; empty for null.
std::string narrow(const wchar_t* text);

// Reports on standard error that `operation` returned `code`, with the
// provider's text for the code (errmsg).
void reportFailure(const qlb_pgn_table& pgn, const char* operation, int code);

#endif  // QUELBCTL_REPORT_H
