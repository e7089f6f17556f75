# Copies the built manual (FROM) into the web site (TO), when it has been built.
if(EXISTS ${FROM}/index.html)
    file(REMOVE_RECURSE ${TO})
    file(COPY ${FROM}/ DESTINATION ${TO} PATTERN .buildinfo EXCLUDE)
endif()
