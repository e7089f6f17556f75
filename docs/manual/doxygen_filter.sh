#!/bin/sh
# Doxygen's input filter for the core's headers: their `//` comments above a declaration become
# documentation comments; the namespace every header opens is left out (declared once a header,
# it would be documented once a header); digit separators (20'000'000) and __extension__, which
# the manual's C++ reader does not know, are dropped.
exec sed -e 's|^\([[:space:]]*\)// |\1/// |' -e 's|^\([[:space:]]*\)//$|\1///|' \
    -e 's|^namespace dorvanix {$||' -e 's|^}  // namespace dorvanix$||' \
    -e "s|\([0-9]\)'\([0-9]\)|\1\2|g" -e "s|\([0-9]\)'\([0-9]\)|\1\2|g" \
    -e 's|^__extension__ ||' "$1"
