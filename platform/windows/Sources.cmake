# The Windows edition's services: the captured ones (platform/captured/), and files by wide
# names through Windows' own calls.
include(${CMAKE_CURRENT_LIST_DIR}/../captured/Sources.cmake)
set(VEXA_PLATFORM_SERVICES
  ${VEXA_CAPTURED_SERVICES}
  ${CMAKE_CURRENT_LIST_DIR}/RenameNoReplace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SystemFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WideText.cpp)
# The window, its events, the clock and the sound: Win32, GDI and the multimedia timer.
set(VEXA_WINDOW_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/../shared/FrameDiff.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../shared/ViewScale.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../shared/WindowGameRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GameWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WaveSound.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowGame.cpp)
# The program: its entry, and the game's files carried inside it.
set(VEXA_PLATFORM_MAIN
  ${CMAKE_CURRENT_LIST_DIR}/main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CarriedData.cpp)
