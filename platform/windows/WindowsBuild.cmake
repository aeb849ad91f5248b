# The Windows edition, cross-built with mingw-w64: the game's own folders with
# platform/windows/ as their platform, one static vexa.exe that imports only Windows' own
# libraries, and the portable folders' unit tests run under Wine.
set(VEXA_WARNINGS -Wall -Wextra)
if(VEXA_WERROR)
  list(APPEND VEXA_WARNINGS -Werror)
endif()

# -O2, not -O3: as quick here, and a smaller exe.
string(REPLACE "-O3" "-O2" CMAKE_CXX_FLAGS_RELEASE "${CMAKE_CXX_FLAGS_RELEASE}")

include(${CMAKE_CURRENT_LIST_DIR}/Sources.cmake)
include(${PROJECT_SOURCE_DIR}/platform/captured/Capture.cmake)
target_compile_definitions(vexa_game PUBLIC VEXA_VERSION="${PROJECT_VERSION}" UNICODE _UNICODE)
# One file with nothing beside it; what no call reaches is left out of it.
target_compile_options(vexa_game PUBLIC -ffunction-sections -fdata-sections)
target_link_options(vexa_game PUBLIC -static -static-libgcc -static-libstdc++ LINKER:--gc-sections)
target_link_libraries(vexa_game PUBLIC shell32 ole32 user32 gdi32 winmm)
# Built for size, not speed: what runs once (the command line, whose parser is most of it,
# loading and saving files, the window's set-up) or once a step outside the rules and the
# drawing. -Os everywhere would make a replay a third slower.
file(GLOB small_sources ${PROJECT_SOURCE_DIR}/session/*.cpp ${PROJECT_SOURCE_DIR}/record/*.cpp
  ${PROJECT_SOURCE_DIR}/platform/windows/*.cpp)
list(FILTER small_sources EXCLUDE REGEX "/(Session|Trace)\\.cpp$")
foreach(name GamePaths BrixSaveLoad BmpFormat BrixBmpLoad GlyphFile Inflate Journal)
  list(APPEND small_sources ${PROJECT_SOURCE_DIR}/lib/${name}.cpp)
endforeach()
set_source_files_properties(${small_sources} PROPERTIES COMPILE_OPTIONS -Os)

# The game's files carried inside the exe, each packed by gzip (the pictures and glyphs shrink
# to a fraction) and its bytes put in by the assembler.
file(STRINGS ${PROJECT_SOURCE_DIR}/record/GameRecord.h game_file_lines ENCODING UTF-8 REGEX "\"dat\\\\\\\\[^\"]+\"")
set(carried_names glyphs.bin)
set(carried_paths ${glyph_file})
foreach(line ${game_file_lines})
  string(REGEX MATCH "dat\\\\\\\\([^\"]+)\"" found "${line}")
  list(APPEND carried_names dat/${CMAKE_MATCH_1})
  list(APPEND carried_paths ${PROJECT_SOURCE_DIR}/dat/${CMAKE_MATCH_1})
endforeach()
set(carried_asm "")
set(carried_table "")
set(carried_entries "")
set(carried_packed "")
list(LENGTH carried_names carried_count)
math(EXPR carried_last "${carried_count} - 1")
foreach(i RANGE ${carried_last})
  list(GET carried_names ${i} name)
  list(GET carried_paths ${i} path)
  set(packed ${CMAKE_BINARY_DIR}/generated/carried/${i}.gz)
  add_custom_command(OUTPUT ${packed}
    COMMAND sh -c "gzip -9nc \"$1\" >\"$2\"" sh ${path} ${packed}
    DEPENDS ${path}
    VERBATIM)
  list(APPEND carried_packed ${packed})
  string(APPEND carried_asm "    \"vexa_carried_${i}: .incbin \\\"${packed}\\\"\\n\"\n    \"vexa_carried_${i}_end:\\n\"\n")
  string(APPEND carried_table "extern \"C\" const unsigned char vexa_carried_${i}[], vexa_carried_${i}_end[];\n")
  string(APPEND carried_entries "    {\"${name}\", vexa_carried_${i}, vexa_carried_${i}_end},\n")
endforeach()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/generated/carried)
set(carried_source ${CMAKE_BINARY_DIR}/generated/CarriedFiles.cpp)
file(WRITE ${carried_source}.new "// Made by WindowsBuild.cmake.
#include \"platform/windows/CarriedData.h\"

__asm__(\".section .rdata,\\\"dr\\\"\\n\"
${carried_asm}    \".text\\n\");
${carried_table}
namespace vexa {
const CarriedFile kCarriedFiles[] = {
${carried_entries}};
const std::size_t kCarriedFileCount = ${carried_count};
}  // namespace vexa
")
file(COPY_FILE ${carried_source}.new ${carried_source} ONLY_IF_DIFFERENT)
set_source_files_properties(${carried_source} PROPERTIES OBJECT_DEPENDS "${carried_packed}")

# The icon at every size the game has one for, and the version Windows shows in Properties.
enable_language(RC)
set(icon ${CMAKE_BINARY_DIR}/generated/vexa.ico)
set(icon_args)
set(icon_files)
foreach(size 16 32 48 64 128 256)
  list(APPEND icon_args ${size}:${PROJECT_SOURCE_DIR}/dat/icons/vexa-${size}.png)
  list(APPEND icon_files ${PROJECT_SOURCE_DIR}/dat/icons/vexa-${size}.png)
endforeach()
add_custom_command(OUTPUT ${icon}
  COMMAND ${CMAKE_BINARY_DIR}/glyph-tool/ico_pack ${icon} ${icon_args}
  DEPENDS glyph_tool ${icon_files}
  VERBATIM)
set(resources ${CMAKE_BINARY_DIR}/generated/vexa.rc)
string(REPLACE "." "," version_commas "${PROJECT_VERSION}")
file(WRITE ${resources}.new "// Made by WindowsBuild.cmake.
1 ICON \"${icon}\"
1 VERSIONINFO
FILEVERSION ${version_commas},0
PRODUCTVERSION ${version_commas},0
FILEOS 0x40004
FILETYPE 1
BEGIN
  BLOCK \"StringFileInfo\"
  BEGIN
    BLOCK \"040904B0\"
    BEGIN
      VALUE \"FileDescription\", \"V.E.X.A.\"
      VALUE \"ProductName\", \"V.E.X.A.\"
      VALUE \"FileVersion\", \"${PROJECT_VERSION}\"
      VALUE \"ProductVersion\", \"${PROJECT_VERSION}\"
      VALUE \"OriginalFilename\", \"vexa.exe\"
      VALUE \"InternalName\", \"vexa\"
    END
  END
  BLOCK \"VarFileInfo\"
  BEGIN
    VALUE \"Translation\", 0x409, 1200
  END
END
")
file(COPY_FILE ${resources}.new ${resources} ONLY_IF_DIFFERENT)
set_source_files_properties(${resources} PROPERTIES OBJECT_DEPENDS ${icon})

add_executable(vexa ${VEXA_PLATFORM_MAIN} ${carried_source} ${carried_packed} ${resources})
target_sources(vexa PRIVATE ${VEXA_WINDOW_SOURCES})
add_dependencies(vexa glyph_data)
target_compile_options(vexa PRIVATE ${VEXA_WARNINGS})
# A window program: no console opens beside it (main.cpp finds the one it was started from).
target_link_options(vexa PRIVATE -municode -mwindows -s)
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
