# The desktop edition's platform: SDL2 window, events, clock and sound, and its program entry.
set(VEXA_PLATFORM_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/FrameDiff.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QuietStderr.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SdlAudio.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SdlWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TexelConvert.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ViewScale.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowGame.cpp)
set(VEXA_PLATFORM_MAIN ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
