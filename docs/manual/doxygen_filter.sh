#!/bin/sh
# Doxygen's input filter for the core's headers. Their `//` comments directly above a declaration,
# or after a member on its line, become documentation comments; a comment followed by a blank line
# (a note on what follows) stays an ordinary one. The namespace every header opens is left out (declared once a header, it would
# be documented once a header); digit separators (20'000'000) and __extension__, which the
# manual's C++ reader does not know, are dropped.
exec awk '
    function flush(documented,   i, line) {
        for (i = 1; i <= n; i++) {
            line = held[i]
            if (documented) sub(/\/\//, "///", line)
            print line
        }
        n = 0
    }
    /^[[:space:]]*\/\// { held[++n] = $0; next }
    {
        flush($0 !~ /^[[:space:]]*$/)
        if ($0 == "namespace dorvanix {" || $0 == "}  // namespace dorvanix") { print ""; next }
        while (match($0, /[0-9]\x27[0-9]/)) $0 = substr($0, 1, RSTART) substr($0, RSTART + 2)
        sub(/^__extension__ /, "")
        if (match($0, /[;,][[:space:]]+\/\/ /)) sub(/\/\/ /, "///< ")
        print
    }
    END { flush(0) }
' "$1"
