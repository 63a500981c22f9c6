// The forms of the values that go into SYMCLI command lines.
//
// The runner splits a command line into arguments at blanks and tabs and by
// double quotes, so a value with other characters than its form allows
// could hand the tool arguments of the caller's choosing (a device
// "0040 -force"), or be read as another value (a target "0040;x", or "0040"
// with a line feed and more text). Every array id, device name, director,
// port, WWN and host name is checked against its form before its command
// line is built; a value of another form is refused with a
// CEmcSymCliException that names the value, and no command runs.
//
//   kind            form                                            examples
//   Symmetrix ID    12 decimal digits                               000190100001
//   device name     1 to 8 hexadecimal digits                       0040, 1A2B3
//   director        1 to 3 digits and a letter, optionally after    04A, FA-4A, SE-13C
//                   a type of 1 to 3 letters and "-"
//   port            1 to 3 decimal digits                           0, 12
//   WWN             16 or 32 hexadecimal digits, or 8 pairs of      10000000C9A00001,
//                   them separated by ":" or "-"                    10:00:00:00:c9:a0:00:01
//   host name       1 to 255 letters, digits, ".", "-" and "_",     backup01, HOST.23.4.5
//                   beginning with a letter or digit
#ifndef EMCSYM_NAMES_H
#define EMCSYM_NAMES_H

#include <string>

namespace emcsym {

enum NameKind { NAME_SYMID, NAME_DEVICE, NAME_DIRECTOR, NAME_PORT, NAME_WWN, NAME_HOST };

// Whether `value` has the form of `kind`.
bool isValidName(NameKind kind, const std::string& value);

// `value` when it has the form of `kind`; otherwise throws
// CEmcSymCliException (code 3, command "[<operation>]", where text "the
// <kind> "<value>" is not <form>; no SYMCLI command was run", the value
// with control characters written as \n, \t, \xHH and cut after 64
// characters).
const std::string& checkedName(NameKind kind, const std::string& value, const wchar_t* operation);

}  // namespace emcsym

#endif  // EMCSYM_NAMES_H
