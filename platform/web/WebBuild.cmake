# The browser edition, built with emscripten. The game's rules, drawing and sessions are the
# desktop's sources; lib/'s contracts are implemented by the files in Sources.cmake here
# instead of the desktop's, and the glyphs and CP932 codes are captured at build time by a
# tool built for this machine from the desktop's own text code.
set(VEXA_WARNINGS -Wall -Wextra)
if(VEXA_WERROR)
  list(APPEND VEXA_WARNINGS -Werror)
endif()
set(VEXA_PAGE_DIR ${PROJECT_SOURCE_DIR}/build/web CACHE PATH "Where the static page is built")

# ---- the game --------------------------------------------------------------------------
include(${CMAKE_CURRENT_LIST_DIR}/Sources.cmake)
include(${PROJECT_SOURCE_DIR}/platform/captured/Capture.cmake)
# Bulk memory: memset and memcpy become single instructions (memory.fill, memory.copy) instead
# of byte loops in wasm, where filling and copying pixels was a tenth of the replay's time.
# Every browser since 2021 has it (Chrome 75, Firefox 79, Safari 15).
target_compile_options(vexa_game PUBLIC -fexceptions -mbulk-memory)
target_link_options(vexa_game PUBLIC -fexceptions -mbulk-memory -sALLOW_MEMORY_GROWTH=1)
target_compile_definitions(vexa_game PUBLIC
  VEXA_VERSION="${PROJECT_VERSION}"
  # Under node the real file system is the game's: dat/ is the source tree's.
  VEXA_INSTALLED_DATA_DIR="${PROJECT_SOURCE_DIR}")

# ---- the headless replay under node ----------------------------------------------------
add_executable(vexa-replay ${PROJECT_SOURCE_DIR}/platform/web/ReplayMain.cpp)
target_compile_options(vexa-replay PRIVATE ${VEXA_WARNINGS})
target_compile_definitions(vexa-replay PRIVATE VEXA_GLYPH_FILE="${glyph_file}")
target_link_libraries(vexa-replay PRIVATE vexa_game)
# vexa-replay.wasm is written beside vexa-replay.js, which loads it (replay-wasm.js).
target_link_options(vexa-replay PRIVATE
  -sENVIRONMENT=node -sNODERAWFS=1 -sEXIT_RUNTIME=1 "SHELL:--pre-js ${PROJECT_SOURCE_DIR}/platform/web/replay-wasm.js")
set_target_properties(vexa-replay PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VEXA_PAGE_DIR}
  LINK_DEPENDS ${PROJECT_SOURCE_DIR}/platform/web/replay-wasm.js)
# A command for the scripts that run the desktop program: the same arguments, under node.
file(WRITE ${CMAKE_BINARY_DIR}/vexa-replay "#!/bin/sh\nexec node ${VEXA_PAGE_DIR}/vexa-replay.js \"$@\"\n")
file(CHMOD ${CMAKE_BINARY_DIR}/vexa-replay PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
  GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# ---- the page ---------------------------------------------------------------------------
# Only the files the game reads go into the page's data, under /game: index.data, packed by
# pack.mjs, which the page's head fetches while the rest arrives and hands to the game's worker.
file(STRINGS ${PROJECT_SOURCE_DIR}/record/GameRecord.h game_file_lines ENCODING UTF-8 REGEX "\"dat\\\\\\\\[^\"]+\"")
set(page_data ${glyph_file}@/game/glyphs.bin)
set(page_data_files ${glyph_file})
foreach(line ${game_file_lines})
  string(REGEX MATCH "dat\\\\\\\\([^\"]+)\"" found "${line}")
  list(APPEND page_data ${PROJECT_SOURCE_DIR}/dat/${CMAKE_MATCH_1}@/game/dat/${CMAKE_MATCH_1})
  list(APPEND page_data_files ${PROJECT_SOURCE_DIR}/dat/${CMAKE_MATCH_1})
endforeach()
add_custom_command(OUTPUT ${VEXA_PAGE_DIR}/index.data
  COMMAND node ${PROJECT_SOURCE_DIR}/platform/web/pack.mjs ${VEXA_PAGE_DIR}/index.data ${page_data}
  DEPENDS ${PROJECT_SOURCE_DIR}/platform/web/pack.mjs ${page_data_files}
  COMMENT "Packing the page's data" VERBATIM)
add_custom_target(vexa_page_data DEPENDS ${VEXA_PAGE_DIR}/index.data)

set(page_dir ${PROJECT_SOURCE_DIR}/platform/web)
add_executable(vexa_page ${page_dir}/PageMain.cpp ${page_dir}/PageCanvas.cpp)
target_compile_options(vexa_page PRIVATE ${VEXA_WARNINGS})
target_link_libraries(vexa_page PRIVATE vexa_game)
# The game runs in a worker of the page's (index.js); the page itself, index.html with its own
# scripts written in, is made by finish.mjs below.
target_link_options(vexa_page PRIVATE
  -sENVIRONMENT=worker -lidbfs.js
  "SHELL:--pre-js ${page_dir}/game.js" "SHELL:--pre-js ${page_dir}/paint.js")
set_target_properties(vexa_page PROPERTIES OUTPUT_NAME index SUFFIX .js
  RUNTIME_OUTPUT_DIRECTORY ${VEXA_PAGE_DIR}
  LINK_DEPENDS "${page_dir}/game.js;${page_dir}/paint.js")
add_dependencies(vexa_page vexa_page_data)
# The page's icons, the desktop's own.
file(GLOB page_icons ${PROJECT_SOURCE_DIR}/dat/icons/*.png)
add_custom_command(TARGET vexa_page POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${VEXA_PAGE_DIR}/icons
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${page_icons} ${VEXA_PAGE_DIR}/icons
  VERBATIM)
# Then, over everything the page holds: the page with its scripts, the service worker and its
# cache named by the build, the manifest, its icons, and brotli and gzip copies of every file.
set(page_scripts view.js touch.js page.js offline.js)
list(TRANSFORM page_scripts PREPEND ${page_dir}/)
# Made after the link: a change to any of these makes the page again.
set_property(TARGET vexa_page APPEND PROPERTY LINK_DEPENDS
  "${page_dir}/index.html;${page_scripts};${page_dir}/finish.mjs;${page_dir}/sw.js;${page_dir}/manifest.webmanifest")
add_custom_command(TARGET vexa_page POST_BUILD
  COMMAND node ${page_dir}/finish.mjs ${VEXA_PAGE_DIR} ${PROJECT_SOURCE_DIR}
  COMMENT "Finishing the page: service worker, manifest, icons, compressed copies"
  VERBATIM)

if(VEXA_TESTS)
  enable_testing()
  add_test(NAME web.replays
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/scripts/replays.sh ${CMAKE_BINARY_DIR}/vexa-replay
      ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  set_tests_properties(web.replays PROPERTIES TIMEOUT 600)
  # Its wasm is a file beside it: without it, or damaged, a failure, never a silent success.
  add_test(NAME web.replay_wasm
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/web/replay_wasm.sh ${VEXA_PAGE_DIR} ${PROJECT_SOURCE_DIR})
  # With a desktop build beside this one, whole traces are compared, not only what is kept.
  set(VEXA_DESKTOP_BINARY ${PROJECT_SOURCE_DIR}/build/release/vexa CACHE FILEPATH "The desktop program to compare with")
  add_test(NAME web.same_as_desktop
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/support/same_as_desktop.sh ${VEXA_DESKTOP_BINARY}
      ${CMAKE_BINARY_DIR}/vexa-replay ${PROJECT_SOURCE_DIR} "browser build")
  set_tests_properties(web.same_as_desktop PROPERTIES TIMEOUT 600 FIXTURES_REQUIRED web_desktop)
  # What the tests need beside the page, made when missing: `ctest --preset web` on its own.
  add_test(NAME web.prepare_desktop
    COMMAND bash ${PROJECT_SOURCE_DIR}/tests/web/prepare.sh desktop ${PROJECT_SOURCE_DIR} ${VEXA_DESKTOP_BINARY})
  set_tests_properties(web.prepare_desktop PROPERTIES TIMEOUT 3600 FIXTURES_SETUP web_desktop)
  add_test(NAME web.prepare_npm COMMAND bash ${PROJECT_SOURCE_DIR}/tests/web/prepare.sh npm ${PROJECT_SOURCE_DIR})
  set_tests_properties(web.prepare_npm PROPERTIES TIMEOUT 600 FIXTURES_SETUP web_npm)
  # The page played in headless Chromium; puppeteer-core comes from the project's package.json.
  add_test(NAME web.page
    COMMAND node ${PROJECT_SOURCE_DIR}/tests/web/page_test.mjs ${VEXA_PAGE_DIR} ${PROJECT_SOURCE_DIR})
  set_tests_properties(web.page PROPERTIES TIMEOUT 300 DEPENDS web.replays FIXTURES_REQUIRED web_npm)
  # Phone and desktop sizes, a finger alone, a hidden tab, the failures and axe-core.
  add_test(NAME web.page_any_screen
    COMMAND node ${PROJECT_SOURCE_DIR}/tests/web/page_any_screen_test.mjs ${VEXA_PAGE_DIR} ${PROJECT_SOURCE_DIR})
  set_tests_properties(web.page_any_screen PROPERTIES TIMEOUT 400 DEPENDS web.page FIXTURES_REQUIRED web_npm)
  # How the page is served and kept: encodings, ETags, the service worker, offline, an update.
  add_test(NAME web.offline
    COMMAND node ${PROJECT_SOURCE_DIR}/tests/web/offline_test.mjs ${VEXA_PAGE_DIR} ${PROJECT_SOURCE_DIR})
  set_tests_properties(web.offline PROPERTIES TIMEOUT 300 FIXTURES_REQUIRED web_npm)
  # Damage-only painting: the canvas is the composed frame at every step.
  add_test(NAME web.paint COMMAND node ${PROJECT_SOURCE_DIR}/tests/web/paint_test.mjs ${VEXA_PAGE_DIR})
  set_tests_properties(web.paint PROPERTIES TIMEOUT 300 FIXTURES_REQUIRED web_npm)
endif()
