# cmake -DBUILD_DIR=... -DSCRATCH_DIR=... -DVERSION=... -DRELEASE_DATE=...
#       -DWITH_UI=ON|OFF -DCHANGELOG=... -P CheckInstall.cmake
# Runs `cmake --install BUILD_DIR` into a fresh prefix under SCRATCH_DIR,
# reports every problem found and removes the prefix again.

string(RANDOM LENGTH 8 tag)
set(prefix "${SCRATCH_DIR}/prefix-${tag}")
set(problems "")
macro(problem text)
    string(APPEND problems "  ${text}\n")
endmacro()

# Runs a command; out: its standard output, or "" when it fails.
function(run out)
    execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE text ERROR_VARIABLE error
                    RESULT_VARIABLE status TIMEOUT 20)
    if(NOT status EQUAL 0)
        string(REPLACE ";" " " line "${ARGN}")
        set(problems "${problems}  `${line}` failed (${status}): ${error}\n" PARENT_SCOPE)
        set(text "")
    endif()
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

run(log "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}")

set(man "${prefix}/share/man/man1")
set(bash_completion "${prefix}/share/bash-completion/completions/kestrawave-cli")
set(zsh_completion "${prefix}/share/zsh/site-functions/_kestrawave-cli")
set(metainfo "${prefix}/share/metainfo/org.kestrawave.Kestrawave.metainfo.xml")
set(wanted
    bin/kestrawave-cli
    share/man/man1/kestrawave-cli.1
    share/bash-completion/completions/kestrawave-cli
    share/zsh/site-functions/_kestrawave-cli
    share/doc/kestrawave/copyright
    share/doc/kestrawave/README.md)
if(WITH_UI)
    list(APPEND wanted
         bin/kestrawave
         share/man/man1/kestrawave.1
         share/applications/kestrawave.desktop
         share/icons/hicolor/scalable/apps/kestrawave.svg
         share/metainfo/org.kestrawave.Kestrawave.metainfo.xml)
endif()
foreach(file IN LISTS wanted)
    if(NOT EXISTS "${prefix}/${file}")
        problem("${file} is not installed")
    endif()
endforeach()

# The one version, as each program prints it.
set(programs kestrawave-cli)
if(WITH_UI)
    list(APPEND programs kestrawave)
endif()
foreach(program IN LISTS programs)
    if(EXISTS "${prefix}/bin/${program}")
        run(text "${prefix}/bin/${program}" --version)
        if(NOT text STREQUAL "${program} ${VERSION}\n")
            string(STRIP "${text}" text)
            problem("${program} --version printed '${text}', not '${program} ${VERSION}'")
        endif()
    endif()
    if(EXISTS "${man}/${program}.1")
        file(STRINGS "${man}/${program}.1" header REGEX "^\\.TH ")
        string(TOUPPER "${program}" title)
        if(NOT header STREQUAL ".TH ${title} 1 \"${RELEASE_DATE}\" \"kestrawave ${VERSION}\" \"User Commands\"")
            problem("${program}.1 has the header '${header}'")
        endif()
    endif()
endforeach()

# The newest release in the AppStream metadata and the changelog is this one.
if(WITH_UI AND EXISTS "${metainfo}")
    file(READ "${metainfo}" text)
    string(REGEX MATCH "<release [^>]*>" release "${text}")
    if(NOT release STREQUAL "<release version=\"${VERSION}\" date=\"${RELEASE_DATE}\">")
        problem("the newest AppStream release is '${release}'")
    endif()
endif()
file(STRINGS "${CHANGELOG}" head LIMIT_COUNT 1)
if(NOT head MATCHES "^kestrawave \\(${VERSION}\\) ")
    problem("the changelog starts with '${head}'")
endif()

# Each command and each of its long options that --help shows is in the man
# page and in both completions.
set(cli "${prefix}/bin/kestrawave-cli")
if(EXISTS "${cli}" AND EXISTS "${man}/kestrawave-cli.1" AND EXISTS "${bash_completion}"
   AND EXISTS "${zsh_completion}")
    file(READ "${man}/kestrawave-cli.1" page)
    file(READ "${bash_completion}" bash_text)
    file(READ "${zsh_completion}" zsh_text)
    run(help "${cli}" --help)
    string(REGEX MATCH "Subcommands:\n.*" commands "${help}")
    string(REGEX MATCHALL "\n  [a-z]+ " commands "${commands}")
    list(TRANSFORM commands STRIP)
    if(NOT commands)
        problem("kestrawave-cli --help lists no commands")
    endif()
    foreach(command IN LISTS commands)
        if(NOT page MATCHES "\n\\.SS \"${command}[ \"]")
            problem("kestrawave-cli.1 has no section for ${command}")
        endif()
        if(NOT bash_text MATCHES "[ ']${command}[ )']")
            problem("the bash completion lacks ${command}")
        endif()
        if(NOT zsh_text MATCHES "'${command}:")
            problem("the zsh completion lacks ${command}")
        endif()
        run(text "${cli}" ${command} --help)
        string(REGEX MATCHALL "--[a-z][a-z-]*" options "${text}")
        list(REMOVE_DUPLICATES options)
        list(REMOVE_ITEM options --help)
        foreach(option IN LISTS options)
            string(REPLACE "-" "\\-" roff "${option}")
            string(FIND "${page}" "${roff}" at)
            if(at EQUAL -1)
                problem("kestrawave-cli.1 lacks ${command} ${option}")
            endif()
            if(NOT bash_text MATCHES "${command}\\) options='[^']*${option}[ ']")
                problem("the bash completion lacks ${command} ${option}")
            endif()
            if(NOT zsh_text MATCHES "[{'\",]${option}[],=+[}]")
                problem("the zsh completion lacks ${command} ${option}")
            endif()
        endforeach()
    endforeach()
endif()
if(WITH_UI AND EXISTS "${prefix}/bin/kestrawave" AND EXISTS "${man}/kestrawave.1")
    file(READ "${man}/kestrawave.1" page)
    run(help "${prefix}/bin/kestrawave" --help)
    string(REGEX MATCHALL "--[a-z][a-z-]*" options "${help}")
    foreach(option IN LISTS options)
        string(REPLACE "-" "\\-" roff "${option}")
        string(FIND "${page}" "${roff}" at)
        if(at EQUAL -1)
            problem("kestrawave.1 lacks ${option}")
        endif()
    endforeach()
endif()

file(REMOVE_RECURSE "${prefix}")
if(problems)
    message(FATAL_ERROR "cmake --install into ${prefix}:\n${problems}")
endif()
list(LENGTH wanted count)
message(STATUS "${count} files installed and checked")
