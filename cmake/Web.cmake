# The WebAssembly build (`emcmake cmake --preset web`): the core, its tests run under node, and the
# module of the web page (web/). Debian's emscripten with Debian's header-only libraries; nothing
# is downloaded.

# emcmake names node with a flag that node 20 refuses, and node 20 reads a module's .wasm from
# disk only without its experimental fetch.
find_program(DORVANIX_NODE NAMES node nodejs REQUIRED NO_CMAKE_FIND_ROOT_PATH)
set(CMAKE_CROSSCOMPILING_EMULATOR "${DORVANIX_NODE};--no-experimental-fetch"
    CACHE STRING "Runs the WebAssembly tests" FORCE)

# The core reports bad input and cancellation by exceptions; WebAssembly's own are the fast ones.
add_compile_options(-fwasm-exceptions)
add_link_options(-fwasm-exceptions -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=4GB)

# nlohmann-json and Boost.Multiprecision are header-only: their folders are linked into a folder
# of their own, as /usr/include itself would put the host's C library before emscripten's.
set(host_headers ${PROJECT_BINARY_DIR}/host_headers)
file(MAKE_DIRECTORY ${host_headers})
foreach(folder nlohmann boost)
    if(NOT EXISTS /usr/include/${folder})
        message(FATAL_ERROR "/usr/include/${folder} is missing: run scripts/install-deps.sh")
    endif()
    file(CREATE_LINK /usr/include/${folder} ${host_headers}/${folder} SYMBOLIC)
endforeach()
foreach(target nlohmann_json::nlohmann_json Boost::headers)
    add_library(${target} INTERFACE IMPORTED GLOBAL)
    target_include_directories(${target} SYSTEM INTERFACE ${host_headers})
endforeach()

# The core's tests with Debian's googletest sources, built here for WebAssembly; they read their
# golden files straight from the disk under node.
if(DORVANIX_BUILD_TESTS)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    set_target_properties(gtest gtest_main gmock gmock_main PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
    set(GTest_FOUND TRUE)  # googletest names its targets GTest::gtest, GTest::gmock, ...
endif()
