# The desktop edition's platform. Its services implement lib/'s contracts: text through
# fontconfig and FreeType, JPEG through libjpeg-turbo, PNG through zlib, the frame checksum
# through libdeflate, CP932 through glibc's iconv, and the no-replace rename.
set(VEXA_PLATFORM_SERVICES
  ${CMAKE_CURRENT_LIST_DIR}/../posix/SystemFiles.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BrixJpegLoad.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FontFace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameChecksum.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PngFile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RenameNoReplace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShiftJis.cpp)
# The window, its events, the clock and the sound: SDL2 and SDL2_mixer.
set(VEXA_PLATFORM_SOURCES
  ${VEXA_PLATFORM_SERVICES}
  ${CMAKE_CURRENT_LIST_DIR}/../shared/FrameDiff.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QuietStderr.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SdlAudio.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SdlWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TexelConvert.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../shared/ViewScale.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../shared/WindowGameRun.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowGame.cpp)
set(VEXA_PLATFORM_MAIN ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
