# The libraries of a cross-build for Windows, which Debian ships as headers
# or sources only: CLI11 and nlohmann-json from their headers, GoogleTest from
# its sources (libgtest-dev), and expat built by scripts/windows.sh into
# KESTRAWAVE_WINDOWS_DEPS (found through CMAKE_PREFIX_PATH).
set(KESTRAWAVE_WINDOWS_DEPS "" CACHE PATH "Where scripts/windows.sh installed expat")
list(APPEND CMAKE_FIND_ROOT_PATH ${KESTRAWAVE_WINDOWS_DEPS})

# The host's header-only libraries, without the rest of /usr/include, whose
# system headers are not Windows'.
set(host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${host_headers})
foreach(dir CLI nlohmann)
    if(NOT EXISTS /usr/include/${dir})
        message(FATAL_ERROR "/usr/include/${dir} is missing: scripts/deps.sh windows installs it")
    endif()
    file(CREATE_LINK /usr/include/${dir} ${host_headers}/${dir} SYMBOLIC)
endforeach()
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 INTERFACE ${host_headers})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json INTERFACE ${host_headers})

if(KESTRAWAVE_TESTS)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
