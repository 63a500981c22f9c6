// Platform constants and system error texts on Windows.
#include "cfiplatform.h"
#include "systemtext.h"

namespace quelb_pdk_4_4 {

const char* const FI_EXE_SUFFIX = ".exe";
const wchar_t FI_PATH_SEPARATOR = L'\\';
const wchar_t* const FI_PROGRAM_FILES_DEFAULT = L"C:\\Program Files";

std::string fiSystemErrorText(int error) { return boundedtext::systemErrorText(error); }

}  // namespace quelb_pdk_4_4
