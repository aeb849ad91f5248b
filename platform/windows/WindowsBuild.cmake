# The Windows edition, cross-built with mingw-w64: the game's own folders with
# platform/windows/ as their platform, one static vexa.exe that imports only Windows' own
# libraries, and the portable folders' unit tests run under Wine.
set(VEXA_WARNINGS -Wall -Wextra)
if(VEXA_WERROR)
  list(APPEND VEXA_WARNINGS -Werror)
endif()

include(${PROJECT_SOURCE_DIR}/platform/captured/Capture.cmake)

file(GLOB_RECURSE VEXA_GAME_SOURCES CONFIGURE_DEPENDS ${VEXA_GAME_GLOBS})
include(${CMAKE_CURRENT_LIST_DIR}/Sources.cmake)
list(APPEND VEXA_GAME_SOURCES ${VEXA_PLATFORM_SERVICES} ${sjis_table})

# CLI11 is headers only; its folder alone, so no other Linux header can be picked up.
find_path(VEXA_CLI11_DIR CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/cli11)
file(CREATE_LINK ${VEXA_CLI11_DIR}/CLI ${CMAKE_BINARY_DIR}/cli11/CLI SYMBOLIC)

add_library(vexa_game STATIC ${VEXA_GAME_SOURCES})
add_dependencies(vexa_game glyph_data)
target_include_directories(vexa_game PUBLIC ${PROJECT_SOURCE_DIR})
target_include_directories(vexa_game SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/cli11)
target_compile_options(vexa_game PRIVATE ${VEXA_WARNINGS})
target_compile_definitions(vexa_game PUBLIC VEXA_VERSION="${PROJECT_VERSION}" UNICODE _UNICODE)
target_link_options(vexa_game PUBLIC -static -static-libgcc -static-libstdc++)
target_link_libraries(vexa_game PUBLIC shell32 ole32)

add_executable(vexa ${VEXA_PLATFORM_MAIN})
target_compile_options(vexa PRIVATE ${VEXA_WARNINGS})
target_link_options(vexa PRIVATE -municode -s)
target_link_libraries(vexa PRIVATE vexa_game)
# The glyph file beside the program, and dat/ found beside it as on Linux.
add_custom_command(TARGET vexa POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${glyph_file} $<TARGET_FILE_DIR:vexa>/glyphs.bin
  COMMAND ${CMAKE_COMMAND} -E create_symlink ${PROJECT_SOURCE_DIR}/dat $<TARGET_FILE_DIR:vexa>/dat
  VERBATIM)

if(VEXA_TESTS)
  enable_testing()
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/windows ${CMAKE_BINARY_DIR}/tests)
endif()
