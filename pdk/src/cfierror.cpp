#include "cfierror.h"

#include <cctype>

#include "boundedtext.h"

namespace quelb_pdk_4_4 {

std::string CFiError::messageId(const std::string& providerName, long offset) const {
  std::string id = "MSG_ERROR_";
  for (char c : providerName) id += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  id += "_";
  long number = m_code <= offset ? m_code : m_code - offset;
  char digits[32];
  boundedtext::format(digits, sizeof digits, "%04ld", number);
  return id + digits;
}

}  // namespace quelb_pdk_4_4
