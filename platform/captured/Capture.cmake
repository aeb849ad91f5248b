# The glyphs and CP932 codes captured at build time by a tool built for the build machine
# from the desktop's own text code (FreeType, iconv): the editions without those libraries
# then draw and write the same bytes. Gives the target glyph_data, glyph_file and sjis_table
# (the files it makes), and vexa_game: the game's folders with the including platform's
# services (VEXA_PLATFORM_SERVICES, from its Sources.cmake) and the captured table.
include(ExternalProject)

find_program(VEXA_HOST_CXX NAMES c++ g++ clang++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
set(glyph_tool ${CMAKE_BINARY_DIR}/glyph-tool/glyph_data)
ExternalProject_Add(glyph_tool
  SOURCE_DIR ${PROJECT_SOURCE_DIR}/tools/glyphs
  BINARY_DIR ${CMAKE_BINARY_DIR}/glyph-tool
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=${VEXA_HOST_CXX}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${glyph_tool} ${CMAKE_BINARY_DIR}/glyph-tool/ico_pack)

# Every text the game can draw or write lives in these sources.
file(GLOB_RECURSE VEXA_TEXT_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/core/*.cpp ${PROJECT_SOURCE_DIR}/core/*.h
  ${PROJECT_SOURCE_DIR}/record/*.cpp ${PROJECT_SOURCE_DIR}/record/*.h
  ${PROJECT_SOURCE_DIR}/stage/*.cpp ${PROJECT_SOURCE_DIR}/stage/*.h
  ${PROJECT_SOURCE_DIR}/command/*.cpp ${PROJECT_SOURCE_DIR}/command/*.h
  ${PROJECT_SOURCE_DIR}/paint/*.cpp ${PROJECT_SOURCE_DIR}/paint/*.h
  ${PROJECT_SOURCE_DIR}/session/*.cpp ${PROJECT_SOURCE_DIR}/session/*.h
  ${PROJECT_SOURCE_DIR}/lib/*.cpp ${PROJECT_SOURCE_DIR}/lib/*.h)
# The sizes and styles the game draws text in (paint/): all bold, at 16, 20 and 22.
set(VEXA_TEXT_SHAPES "16:1,20:1,22:1")
set(glyph_file ${CMAKE_BINARY_DIR}/glyphs.bin)
set(sjis_table ${CMAKE_BINARY_DIR}/generated/ShiftJisTable.cpp)
add_custom_command(OUTPUT ${glyph_file} ${sjis_table}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND ${glyph_tool} ${glyph_file} ${sjis_table} ${VEXA_TEXT_SHAPES} ${VEXA_TEXT_SOURCES}
  DEPENDS glyph_tool ${glyph_tool} ${VEXA_TEXT_SOURCES}
  COMMENT "Capturing the game's glyphs and CP932 codes"
  VERBATIM)
add_custom_target(glyph_data DEPENDS ${glyph_file} ${sjis_table})

# ---- the game, on the captured services --------------------------------------------------
file(GLOB_RECURSE VEXA_GAME_SOURCES CONFIGURE_DEPENDS ${VEXA_GAME_GLOBS})
list(APPEND VEXA_GAME_SOURCES ${VEXA_PLATFORM_SERVICES} ${sjis_table})

# CLI11 is headers only; its folder alone, so no other host header can be picked up.
find_path(VEXA_CLI11_DIR CLI/CLI.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/cli11)
file(CREATE_LINK ${VEXA_CLI11_DIR}/CLI ${CMAKE_BINARY_DIR}/cli11/CLI SYMBOLIC)

add_library(vexa_game STATIC ${VEXA_GAME_SOURCES})
add_dependencies(vexa_game glyph_data)
target_include_directories(vexa_game PUBLIC ${PROJECT_SOURCE_DIR})
target_include_directories(vexa_game SYSTEM PRIVATE ${CMAKE_BINARY_DIR}/cli11)
target_compile_options(vexa_game PRIVATE ${VEXA_WARNINGS})
