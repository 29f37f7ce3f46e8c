# Run by CPack (CPACK_PRE_BUILD_SCRIPTS) on the staged tree of the Debian
# package, where Debian's layout differs from a plain `cmake --install`: man
# pages gzipped, a changelog.gz beside the copyright file, and the zsh
# completion where Debian's zsh looks (its fpath has no share/zsh/site-functions).
set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT IS_DIRECTORY "${root}/share/doc/kestrawave")
    message(FATAL_ERROR "DebianLayout: no staged tree at ${root}")
endif()
find_program(GZIP_EXECUTABLE gzip REQUIRED)

# The newest entry must be the version being packed.
file(STRINGS "${CPACK_KESTRAWAVE_CHANGELOG}" head LIMIT_COUNT 1)
if(NOT head MATCHES "^kestrawave \\(${CPACK_PACKAGE_VERSION}\\) ")
    message(FATAL_ERROR "DebianLayout: ${CPACK_KESTRAWAVE_CHANGELOG} starts with '${head}', "
                        "not with version ${CPACK_PACKAGE_VERSION}")
endif()
file(COPY_FILE "${CPACK_KESTRAWAVE_CHANGELOG}" "${root}/share/doc/kestrawave/changelog")

file(GLOB pages "${root}/share/man/man[1-9]/*.[1-9]")
foreach(path IN LISTS pages ITEMS "${root}/share/doc/kestrawave/changelog")
    # -n: no name or time stamp, so that the same tree packs to the same bytes.
    execute_process(COMMAND "${GZIP_EXECUTABLE}" -9nf "${path}" COMMAND_ERROR_IS_FATAL ANY)
    file(CHMOD "${path}.gz" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()

if(IS_DIRECTORY "${root}/share/zsh/site-functions")
    file(RENAME "${root}/share/zsh/site-functions" "${root}/share/zsh/vendor-completions")
endif()
