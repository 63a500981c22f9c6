# norvel_warnings: the warning flags applied to our own code only.
add_library(norvel_warnings INTERFACE)
target_compile_options(norvel_warnings INTERFACE -Wall -Wextra -Werror
  # GCC 12 reports impossible memcpy bounds (a length of -4 bytes) inside
  # ACE_String_Base once it is inlined at -O2. The three flags below silence
  # that family of false positives; the sanitizer build checks real bounds.
  -Wno-stringop-overflow -Wno-array-bounds -Wno-restrict
  # clang (fuzz and thread-sanitizer builds) knows two of those flags only.
  $<$<CXX_COMPILER_ID:Clang>:-Wno-unknown-warning-option>)
