// CFiError: an error value of the kit, thrown and returned by value. Carries
// a code, a detail text, the raising source file, line and function; builds
// the catalog message id of its code.
#ifndef QLB_PDK_CFIERROR_H
#define QLB_PDK_CFIERROR_H

#include <string>

#include "cfiexport.h"
#include "cfitstring.h"

namespace quelb_pdk_4_4 {

class QLB_PDK_EXPORT CFiError {
 public:
  CFiError() : m_code(0), m_line(0) {}
  CFiError(int code, const tstring& detail, const tstring& sourceFile, int line,
           const tstring& function)
      : m_code(code),
        m_detail(detail),
        m_sourceFile(sourceFile),
        m_line(line),
        m_function(function) {}
  virtual ~CFiError() {}

  // "MSG_ERROR_" + upper-case provider name + "_" + the number as "%04d",
  // the number being the code, less the offset when the code exceeds it.
  virtual std::string messageId(const std::string& providerName, long offset) const;
  // The detail text.
  virtual const wchar_t* detailText() const { return m_detail.c_str(); }

  int code() const { return m_code; }
  const tstring& detail() const { return m_detail; }
  const tstring& sourceFile() const { return m_sourceFile; }
  int line() const { return m_line; }
  const tstring& function() const { return m_function; }

 private:
  int m_code;
  tstring m_detail;
  tstring m_sourceFile;
  int m_line;
  tstring m_function;
};

}  // namespace quelb_pdk_4_4

#endif  // QLB_PDK_CFIERROR_H
