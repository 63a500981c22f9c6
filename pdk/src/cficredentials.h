// Array credentials: host, user and password of the management servers of
// an array vendor and product.
//
// SFiCredential: one credential. CFiCredentialsParser reads them from the
// credentials text that the framework holds, laid out like a registry
// export:
//
//   [STORAGE_MANAGEMENT_SERVICE\EMC_SYMMETRIX_SERVER\1]
//   "HOSTNAME"="mgmt01"
//   "USERNAME"="admin"
//   "PASSWORD"="secret"
//   "PORT"=dword:2707
//
// A section header opens a credentials section when it splits (at tab,
// carriage return, line feed, blank, "[", "]" and backslash) into exactly
// three tokens, the first "STORAGE_MANAGEMENT_SERVICE" in any case and the
// second, the server class, holding the vendor and the product (case
// counts) and "OPENARRAY" exactly when open arrays are asked for. Value
// lines are "name"="text" or "name"=dword:digits; names other than
// HOSTNAME, USERNAME, PASSWORD, PORT and DATA are ignored. PORT takes
// decimal digits only (also after "dword:"), up to 2147483647. Malformed
// lines are traced and skipped. Passwords are never traced.
//
// CFiConfiguration::importCredentials (declared in cficonfiguration.h)
// takes the framework's credentials first, then adds one credential per
// subsection of the named configuration section (created in memory when
// missing): its "HOSTNAME", "USERNAME" and "PASSWORD", when all three are
// given and none is "<none>", unless a credential of that host (in any
// case) is there already. Subsections are taken when their name holds
// "OPENARRAY" exactly when open arrays are asked for. The last subsection
// read stays the configuration's current section.
#ifndef QLB_PDK_CFICREDENTIALS_H
#define QLB_PDK_CFICREDENTIALS_H

#include <cstdint>
#include <string>
#include <vector>

#include "cficonfiguration.h"
#include "cfiexport.h"
#include "cfitraceable.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

struct QLB_PDK_EXPORT SFiCredential {
  tstring hostName;
  tstring userName;
  tstring password;
  int32_t port = -1;
  tstring data;

  // Host name, user name and password all given.
  bool isValid() const {
    return hostName.length() > 0 && userName.length() > 0 && password.length() > 0;
  }
};

class QLB_PDK_EXPORT CFiCredentialsParser : public virtual CFiTraceable {
 public:
  // Result of parse when the framework's credentials text is empty.
  enum { FI_CREDENTIALS_EMPTY = 31 };

  CFiCredentialsParser() {}
  virtual ~CFiCredentialsParser() {}

  // Parses the framework's credentials text, appending to `credentials`.
  // 0, also when the framework holds no text; 31 for an empty text.
  int parse(const std::string& vendor, const std::string& product,
            std::vector<SFiCredential>& credentials, bool openArray);
  // Parses `text`, appending to `credentials`. With `openArray` every
  // section found is appended, valid or not; without it only valid ones.
  // An empty vendor or product matches every server class. Returns 0.
  int parse(const std::string& text, const std::string& vendor, const std::string& product,
            std::vector<SFiCredential>& credentials, bool openArray);

 private:
  // Whether a header line opens a credentials section.
  bool opensSection(const std::string& line, const std::string& vendor, const std::string& product,
                    bool openArray) const;
  // Takes one "name"=value line into the credential.
  void readValue(const std::string& line, SFiCredential& credential) const;
  // Appends the credential of a closed section when it counts; the skip
  // warning is written for one closed at the end of the text.
  void finish(const SFiCredential& credential, const std::string& vendor,
              const std::string& product, bool openArray, bool atEnd,
              std::vector<SFiCredential>& credentials) const;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFICREDENTIALS_H
