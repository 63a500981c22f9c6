# Third-party libraries, all from Debian packages (scripts/bootstrap).
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
find_package(ICU 72 REQUIRED COMPONENTS uc i18n data)
find_package(XercesC 3.2 REQUIRED)
find_package(SQLite3 REQUIRED)

find_path(ACE_INCLUDE_DIR ace/ACE.h REQUIRED)
find_library(ACE_LIBRARY NAMES ACE REQUIRED)
add_library(ace::ace UNKNOWN IMPORTED)
set_target_properties(ace::ace PROPERTIES
  IMPORTED_LOCATION ${ACE_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${ACE_INCLUDE_DIR}
  INTERFACE_LINK_LIBRARIES Threads::Threads)

find_program(GENRB_EXECUTABLE genrb REQUIRED)

# The manual pages are written in scdoc's format.
find_program(SCDOC_EXECUTABLE scdoc REQUIRED)
