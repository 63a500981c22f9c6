#include "cficredentials.h"

#include <cctype>

#include <quelb/quelb_records.h>

#include <cstring>
#include <cwchar>
#include <limits>

#include "cfistringtool.h"

namespace quelb_pdk_4_4 {

namespace {

const char kServiceKey[] = "STORAGE_MANAGEMENT_SERVICE";
const char kHeaderDelimiters[] = "\t\r[]\\ \n";
const char kOpenArray[] = "OPENARRAY";
const char kDword[] = "dword:";
const char kNone[] = "<none>";

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

bool quoted(const std::string& text) {
  return text.size() >= 2 && text.front() == '"' && text.back() == '"';
}

// What lies between the first and the last double quote.
std::string unquote(const std::string& text) {
  size_t first = text.find('"');
  size_t last = text.rfind('"');
  return first < last ? text.substr(first + 1, last - first - 1) : std::string();
}

// A header is any line that holds "[" and "]", a quoted value line
// included: a password such as "pa[ss]" ends the section it stands in.
bool isHeader(const std::string& line) { return contains(line, "[") && contains(line, "]"); }

// A port: decimal digits only, within the range of a 32-bit int.
bool readPort(const std::string& text, int32_t& port) {
  uint64_t value = 0;
  if (text.empty() || !CFiStringTool::isDigit(text) ||
      CFiStringTool::str2uint64(text, value) != 0 ||
      value > static_cast<uint64_t>(std::numeric_limits<int32_t>::max()))
    return false;
  port = static_cast<int32_t>(value);
  return true;
}

// A configured value that counts: given and not the placeholder "<none>".
bool usable(const tstring& value) {
  return value.length() > 0 && CFiStringTool::tstr2str(value) != kNone;
}

}  // namespace

int CFiCredentialsParser::parse(const std::string& vendor, const std::string& product,
                                std::vector<SFiCredential>& credentials, bool openArray) {
  wchar_t* blob = nullptr;
  quelb_get_credential_blob(&blob);
  if (!blob) return 0;
  const std::string text = CFiStringTool::wcs2mbs(blob);
  const bool empty = blob[0] == L'\0';
  quelb_free_buf(blob, (std::wcslen(blob) + 1) * sizeof(wchar_t));
  if (empty) return FI_CREDENTIALS_EMPTY;
  return parse(text, vendor, product, credentials, openArray);
}

int CFiCredentialsParser::parse(const std::string& text, const std::string& vendor,
                                const std::string& product, std::vector<SFiCredential>& credentials,
                                bool openArray) {
  bool sectionOpen = false;
  SFiCredential current;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = CFiStringTool::trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty()) continue;

    if (isHeader(line)) {
      if (sectionOpen) finish(current, vendor, product, openArray, false, credentials);
      sectionOpen = opensSection(line, vendor, product, openArray);
      current = SFiCredential();
      continue;
    }
    if (sectionOpen && contains(line, "=")) readValue(line, current);
  }
  if (sectionOpen) finish(current, vendor, product, openArray, true, credentials);
  return 0;
}

bool CFiCredentialsParser::opensSection(const std::string& line, const std::string& vendor,
                                        const std::string& product, bool openArray) const {
  const std::vector<std::string> tokens = CFiStringTool::tokenize(line, kHeaderDelimiters);
  if (tokens.size() != 3 || !CFiStringTool::CompareNoCase(tokens[0], std::string(kServiceKey)))
    return false;
  const std::string& serverClass = tokens[1];
  if (!vendor.empty() && !contains(serverClass, vendor)) return false;
  if (!product.empty() && !contains(serverClass, product)) return false;

  const bool openArrayClass = contains(serverClass, kOpenArray);
  if (openArray && !openArrayClass) {
    trace(FI_TRACE_INFO, "INFO: Skipping non OPENARRAY credentials section '%s'",
          serverClass.c_str());
    return false;
  }
  if (!openArray && openArrayClass) {
    trace(FI_TRACE_INFO, "INFO: Skipping OPENARRAY credentials section '%s'", serverClass.c_str());
    return false;
  }
  return true;
}

namespace {

// Whether a name may stand for a secret ("PASSWORD", "Passphrase", a
// misspelt "PASSWD"): then its value is never traced, whatever its form.
bool namesSecret(const std::string& name) {
  std::string upper;
  for (char c : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper.find("PASS") != std::string::npos || upper.find("SECRET") != std::string::npos;
}

}  // namespace

// Blanks around the "=" are allowed, as in the configuration files.
void CFiCredentialsParser::readValue(const std::string& line, SFiCredential& credential) const {
  const size_t equals = line.find('=');
  const std::string rawName = CFiStringTool::trim(line.substr(0, equals));
  const std::string rawValue = CFiStringTool::trim(line.substr(equals + 1));
  if (!quoted(rawName)) {
    // A line that names a secret is not traced: where its name ends is
    // unknown, so any part of it may be the secret.
    trace(FI_TRACE_WARNING, "WARNING: Invalid credentials section '%s'",
          namesSecret(line) ? "<a line naming a password, not shown>" : line.c_str());
    return;
  }
  const std::string name = unquote(rawName);

  std::string value;
  if (rawValue.compare(0, std::strlen(kDword), kDword) == 0) {
    value = rawValue.substr(std::strlen(kDword));
  } else if (quoted(rawValue)) {
    value = unquote(rawValue);
  } else {
    trace(FI_TRACE_WARNING, "WARNING: Invalid value '%s' for key section '%s'",
          namesSecret(name) ? "<value not shown>" : rawValue.c_str(), name.c_str());
    return;
  }

  if (name == "HOSTNAME") {
    credential.hostName = CFiStringTool::str2tstr(value);
  } else if (name == "USERNAME") {
    credential.userName = CFiStringTool::str2tstr(value);
  } else if (name == "PASSWORD") {
    credential.password = CFiStringTool::str2tstr(value);
  } else if (name == "DATA") {
    credential.data = CFiStringTool::str2tstr(value);
  } else if (name == "PORT" && !readPort(value, credential.port)) {
    trace(FI_TRACE_WARNING, "WARNING: Invalid dword value '%s' for key section '%s'", value.c_str(),
          name.c_str());
  }
}

void CFiCredentialsParser::finish(const SFiCredential& credential, const std::string& vendor,
                                  const std::string& product, bool openArray, bool atEnd,
                                  std::vector<SFiCredential>& credentials) const {
  if (openArray || credential.isValid()) {
    credentials.push_back(credential);
    trace(FI_TRACE_INFO,
          "INFO: adding array credentials for: vendor %s, product %s, server %S, "
          "username %S",
          vendor.c_str(), product.c_str(), credential.hostName.c_str(),
          credential.userName.c_str());
  } else if (atEnd) {
    trace(FI_TRACE_WARNING, "WARNING: skipping invalid credentials for vendor %s", vendor.c_str());
  }
}

std::vector<SFiCredential> CFiConfiguration::importCredentials(const std::string& vendor,
                                                               const std::string& product,
                                                               const tstring& section,
                                                               bool openArray) {
  std::vector<SFiCredential> result;
  CFiCredentialsParser parser;
  parser.setTraceLog(m_traceLog);
  parser.parse(vendor, product, result, openArray);

  ACE_Configuration_Section_Key base;
  std::vector<tstring> names;
  if (openSection(section, base, true) == 0) enumerateSections(names, base);

  for (const tstring& name : names) {
    ACE_Configuration_Section_Key key;
    if (openSection(base, name, key, false) != 0) {
      trace(FI_TRACE_ERROR, "ERROR: [%S] Importing section [%S] failed.",
            getLastError().detail().c_str(), name.c_str());
      continue;
    }
    if (contains(CFiStringTool::tstr2str(name), kOpenArray) != openArray) {
      trace(FI_TRACE_INFO, "Skipping credentials section [%S]", name.c_str());
      continue;
    }
    trace(FI_TRACE_INFO, "Importing credentials section [%S]", name.c_str());
    SFiCredential credential;
    getStringValue(tstring(L"HOSTNAME"), credential.hostName);
    getStringValue(tstring(L"USERNAME"), credential.userName);
    getStringValue(tstring(L"PASSWORD"), credential.password);
    if (!usable(credential.hostName) || !usable(credential.userName) ||
        !usable(credential.password))
      continue;

    bool known = false;
    for (const SFiCredential& found : result)
      known = known || CFiStringTool::CompareNoCase(found.hostName, credential.hostName);
    if (!known) result.push_back(credential);
  }

  if (result.empty())
    trace(FI_TRACE_WARNING, "WARNING: No credentials found for %s %s.", vendor.c_str(),
          product.c_str());
  else
    trace(FI_TRACE_INFO, "INFO: %d credentials found for %s %s.", static_cast<int>(result.size()),
          vendor.c_str(), product.c_str());
  return result;
}

}  // namespace quelb_pdk_4_4
