# ace::ace: ACE from the system (it ships no CMake package of its own).
# Used by the build and by the installed QuelbPdk package.
if(NOT TARGET ace::ace)
  find_package(Threads REQUIRED)
  find_path(ACE_INCLUDE_DIR ace/ACE.h REQUIRED)
  find_library(ACE_LIBRARY NAMES ACE REQUIRED)
  add_library(ace::ace UNKNOWN IMPORTED)
  set_target_properties(ace::ace PROPERTIES
    IMPORTED_LOCATION ${ACE_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${ACE_INCLUDE_DIR}
    INTERFACE_LINK_LIBRARIES Threads::Threads)
endif()
