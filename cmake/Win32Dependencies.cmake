# Dependencies of the Windows build. Everything is linked statically into each .exe.

enable_language(RC)
add_link_options(-static)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)

# GoogleTest, built from Debian's sources for this compiler.
set(MIRTHWICK_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${MIRTHWICK_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# (It names its targets GTest::gtest, GTest::gtest_main and GTest::gmock itself.)

# nlohmann/json is header-only and the same for any target. Only its own folder is put on the
# include path (through a link), never the host's /usr/include as a whole.
set(MIRTHWICK_JSON_INCLUDE /usr/include/nlohmann CACHE PATH "The host's nlohmann/json headers")
if(NOT EXISTS ${MIRTHWICK_JSON_INCLUDE}/json.hpp)
  message(FATAL_ERROR "nlohmann/json not found at ${MIRTHWICK_JSON_INCLUDE} (Debian: nlohmann-json3-dev)")
endif()
set(json_root ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${json_root})
file(CREATE_LINK ${MIRTHWICK_JSON_INCLUDE} ${json_root}/nlohmann SYMBOLIC)
add_library(nlohmann_json INTERFACE)
target_include_directories(nlohmann_json SYSTEM INTERFACE ${json_root})
add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json)
