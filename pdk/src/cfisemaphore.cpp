#include "cfisemaphore.h"

#include "cfiplatform.h"

namespace quelb_pdk_4_4 {

CFiSemaphore::~CFiSemaphore() {}

std::string CFiSemaphore::lastErrorText() const { return fiSystemErrorText(m_lastError); }

}  // namespace quelb_pdk_4_4
