# Run at build time (cmake -P): writes the gzipped manual page OUTPUT of PROGRAM with help2man from
# its --help and --version. When --help lists subcommands, a COMMANDS section follows with the
# --help of each, so that every option of the tool is on the page; examples keep their lines.
execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE help COMMAND_ERROR_IS_FATAL ANY)

# Text as printed, as a roff block kept line by line: backslashes and minus signs escaped, no line
# read as a request.
function(preformatted text out)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "\n([.'])" "\n\\\\&\\1" text "\n${text}")
    set(${out} ".nf${text}\n.fi\n" PARENT_SCOPE)
endfunction()

set(include "")
string(REGEX MATCH "\nSubcommands:\n([^\n]+\n)+" block "${help}")
string(REGEX MATCHALL "\n  [a-z][a-z-]*" commands "${block}")
foreach(command ${commands})
    string(STRIP "${command}" command)
    execute_process(COMMAND "${PROGRAM}" ${command} --help OUTPUT_VARIABLE text
                    COMMAND_ERROR_IS_FATAL ANY)
    # What follows the options after two blank lines are the tool's notes, already on the page.
    string(FIND "${text}" "\n\n\n" notes)
    string(SUBSTRING "${text}" 0 ${notes} text)
    preformatted("${text}" text)
    string(APPEND include "[>COMMANDS]\n.SS ${command}\n${text}")
endforeach()
if(help MATCHES "\nExamples:\n(([^\n]+\n)+)")
    preformatted("${CMAKE_MATCH_1}" text)
    string(APPEND include "[=EXAMPLES]\n${text}")
endif()

string(REGEX REPLACE "\\.gz$" "" page "${OUTPUT}")
set(arguments --no-info "--name=${SUMMARY}" "--output=${page}")
if(include)
    file(WRITE "${page}.h2m" "${include}")
    list(APPEND arguments "--include=${page}.h2m")
endif()
execute_process(COMMAND "${HELP2MAN}" ${arguments} "${PROGRAM}" COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND gzip -9nf "${page}" COMMAND_ERROR_IS_FATAL ANY)
