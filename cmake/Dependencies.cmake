# Third-party libraries, all from Debian packages (scripts/bootstrap).
find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
find_package(ICU 72 REQUIRED COMPONENTS uc i18n data)
find_package(XercesC 3.2 REQUIRED)
find_package(SQLite3 REQUIRED)

include(${CMAKE_CURRENT_LIST_DIR}/AceTarget.cmake)

find_program(GENRB_EXECUTABLE genrb REQUIRED)

# The manual pages are written in scdoc's format.
find_program(SCDOC_EXECUTABLE scdoc REQUIRED)
