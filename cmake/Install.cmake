# What `cmake --install` puts under the prefix, laid out as a Debian user expects: the programs
# (stripped in release builds), their manual pages, the desktop entry with its icons and AppStream
# metainfo, bash completion for dorvanix-cli, the manual when it is built, and the Python module
# where the interpreter it was built for looks. `dorvanix_install_files` builds all of it and nothing else.
include(GNUInstallDirs)

add_custom_target(dorvanix_install_files ALL)
set(man_dir ${PROJECT_BINARY_DIR}/man)
find_program(HELP2MAN help2man)
if(NOT HELP2MAN)
    message(WARNING "help2man not found: the manual pages are not made")
endif()

# Release builds install stripped programs; the other build types keep their symbols.
install(CODE [[
if(CMAKE_INSTALL_CONFIG_NAME MATCHES "^(Release|MinSizeRel)$")
    set(CMAKE_INSTALL_DO_STRIP TRUE)
endif()]])

# Each program with its manual page, written by help2man from its --help and --version (and the
# --help of each of its subcommands), so that the page says what the program says.
function(dorvanix_install_program target summary)
    if(NOT TARGET ${target})
        return()
    endif()
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    add_dependencies(dorvanix_install_files ${target})
    if(NOT HELP2MAN)
        return()
    endif()
    set(page ${man_dir}/${target}.1.gz)
    add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -DHELP2MAN=${HELP2MAN} -DPROGRAM=$<TARGET_FILE:${target}>
                "-DSUMMARY=${summary}" -DOUTPUT=${page} -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
        DEPENDS ${target} ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
        COMMENT "Writing the manual page of ${target}")
    target_sources(dorvanix_install_files PRIVATE ${page})
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

dorvanix_install_program(dorvanix-cli
    "star-shaped singular fibers, their sub-divisors and polynomial files")
install(FILES ${PROJECT_SOURCE_DIR}/packaging/dorvanix-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME dorvanix-cli)

if(TARGET dorvanix)
    dorvanix_install_program(dorvanix
        "desktop program for star-shaped singular fibers and their sub-divisors")
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/${DORVANIX_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

    # The metainfo's release date is the one CITATION.cff gives for this version.
    file(STRINGS ${PROJECT_SOURCE_DIR}/CITATION.cff DORVANIX_RELEASE_DATE REGEX "^date-released:")
    string(REGEX REPLACE "^date-released: *" "" DORVANIX_RELEASE_DATE "${DORVANIX_RELEASE_DATE}")
    configure_file(${PROJECT_SOURCE_DIR}/packaging/${DORVANIX_APP_ID}.metainfo.xml.in
                   ${PROJECT_BINARY_DIR}/${DORVANIX_APP_ID}.metainfo.xml @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/${DORVANIX_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

    # The icon as drawn (SVG), and rendered at build time by rsvg-convert (librsvg2-bin) at the
    # sizes menus and docks ask for most.
    set(icon_svg ${PROJECT_SOURCE_DIR}/resources/icons/dorvanix.svg)
    set(icons_dir ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
    install(FILES ${icon_svg} DESTINATION ${icons_dir}/scalable/apps RENAME ${DORVANIX_APP_ID}.svg)
    set(icon_sizes 16 32 48 64 128 256)
    find_program(RSVG_CONVERT rsvg-convert)
    if(NOT RSVG_CONVERT)
        message(WARNING "rsvg-convert not found: only the SVG icon is installed")
        set(icon_sizes "")
    endif()
    foreach(size ${icon_sizes})
        set(png ${PROJECT_BINARY_DIR}/icons/${size}x${size}/${DORVANIX_APP_ID}.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${icon_svg}
            DEPENDS ${icon_svg})
        target_sources(dorvanix_install_files PRIVATE ${png})
        install(FILES ${png} DESTINATION ${icons_dir}/${size}x${size}/apps)
    endforeach()
endif()

foreach(file LICENSE README.md CHANGELOG.md CITATION.cff)
    install(FILES ${PROJECT_SOURCE_DIR}/${file} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/dorvanix)
endforeach()

# The manual as scripts/docs.sh builds it, when it has been built (the Debian package builds it
# first); DORVANIX_INSTALL_MANUAL=OFF leaves it out.
option(DORVANIX_INSTALL_MANUAL "Install the manual built by scripts/docs.sh, when it is there" ON)
set(DORVANIX_MANUAL_DIR ${PROJECT_SOURCE_DIR}/build/docs/html CACHE PATH
    "The manual's HTML folder that the install copies")
if(DORVANIX_INSTALL_MANUAL)
    install(DIRECTORY ${DORVANIX_MANUAL_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/dorvanix/html
            OPTIONAL PATTERN .buildinfo EXCLUDE)
endif()

# The Python module, with its stub and py.typed, into the site-packages that the interpreter it was
# built for reads under the prefix of the install (not of the configure: cpack and --prefix choose
# it later). DORVANIX_PYTHON_INSTALL_DIR, when set, names that folder instead.
if(TARGET dorvanix_python AND DORVANIX_INSTALL_PYTHON)
    set(DORVANIX_PYTHON_INSTALL_DIR "" CACHE PATH
        "Folder for the Python module, absolute or under the prefix; empty: ask the interpreter")
    add_dependencies(dorvanix_install_files dorvanix_python)
    install(CODE "
        set(dorvanix_python_interpreter [[${DORVANIX_PYTHON_INTERPRETER}]])
        set(dorvanix_python_package [[${DORVANIX_PYTHON_PACKAGE}]])
        set(dorvanix_python_files
            [[$<TARGET_FILE_NAME:dorvanix_python>;__init__.pyi;py.typed;selftest.py]])
        set(dorvanix_python_site [[${DORVANIX_PYTHON_INSTALL_DIR}]])")
    install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/InstallPython.cmake)
endif()
