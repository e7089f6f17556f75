# The version lives once, in project(VERSION); this header hands it to the programs and the Python
# module (the Debian and Python packages take PROJECT_VERSION directly).
set(DORVANIX_APP_ID org.dorvanix.Dorvanix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
               ${PROJECT_BINARY_DIR}/generated/dorvanix/version.h @ONLY)
add_library(dorvanix_version INTERFACE)
add_library(dorvanix::version ALIAS dorvanix_version)
target_include_directories(dorvanix_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
