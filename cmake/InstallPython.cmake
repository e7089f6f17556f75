# Runs at install time, after Install.cmake's install(CODE) has named the interpreter, the built
# package folder and its files. Puts the package `dorvanix` into the site-packages that interpreter
# reads under the prefix being installed to: Debian's python3 reads /usr/lib/python3/dist-packages
# (where its packages go) and /usr/local/lib/python3.X/dist-packages (local installs); any other
# prefix, a virtual environment's included, gets the usual lib/python3.X/site-packages.
set(site "${dorvanix_python_site}")
if(site STREQUAL "")
    execute_process(
        COMMAND "${dorvanix_python_interpreter}" -c [=[
import os, sys, sysconfig
prefix = os.path.normpath(sys.argv[1])
schemes = sysconfig.get_scheme_names()
if prefix == "/usr" and "deb_system" in schemes:
    scheme, base = "deb_system", prefix
elif prefix == "/usr/local" and "posix_local" in schemes:
    scheme, base = "posix_local", "/usr"
else:
    scheme, base = "posix_prefix", prefix
print(sysconfig.get_path("platlib", scheme, {"base": base, "platbase": base}))
]=] "${CMAKE_INSTALL_PREFIX}"
        OUTPUT_VARIABLE site OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
elseif(NOT IS_ABSOLUTE "${site}")
    set(site "${CMAKE_INSTALL_PREFIX}/${site}")
endif()
list(TRANSFORM dorvanix_python_files PREPEND "${dorvanix_python_package}/")
file(INSTALL ${dorvanix_python_files} DESTINATION "${site}/dorvanix")
