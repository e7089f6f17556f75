# `cpack -G DEB` (best from the release preset) makes dorvanix_<version>_<arch>.deb from what
# Install.cmake installs, under /usr, with the Python module in /usr/lib/python3/dist-packages;
# its library dependencies (GMP, SQLite, Qt) are computed from the binaries by dpkg-shlibdeps.
# Its smoke test, in tests/install/install_test.sh, unpacks it and runs `dorvanix-cli selftest`
# and `python3 -m dorvanix.selftest` from the unpacked tree.
set(CPACK_PACKAGE_NAME dorvanix)
set(CPACK_PACKAGE_VENDOR "The Dorvanix developers")
set(CPACK_PACKAGE_CONTACT "The Dorvanix developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "star-shaped singular fibers and their sub-divisors")
set(CPACK_PACKAGE_DESCRIPTION "Dorvanix enumerates the star-shaped singular fibers with given \
core multiplicity, self-intersection and number of branches, lists and analyses the \
sub-divisors of a chosen fiber, animates them, and writes list files and polynomial files for \
the Quorbel program. This package holds the Qt desktop program dorvanix, the command-line tool \
dorvanix-cli and the Python 3 module dorvanix.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB)
set(CPACK_SOURCE_IGNORE_FILES "/[.]git" "/build[^/]*/" "/out/" "[.]egg-info/" "/__pycache__/")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The desktop program needs a platform plugin to open a window, which Qt only recommends.
if(TARGET dorvanix)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()
# The module is built for one Python version; Debian's python3 of that version loads it.
if(TARGET dorvanix_python AND DORVANIX_INSTALL_PYTHON)
    string(REGEX MATCH "^([0-9]+)[.]([0-9]+)" python "${DORVANIX_PYTHON_VERSION}")
    math(EXPR next_minor "${CMAKE_MATCH_2} + 1")
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
        "python3 (>= ${python}~), python3 (<< ${CMAKE_MATCH_1}.${next_minor})")
endif()
include(CPack)
