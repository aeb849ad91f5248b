# The browser edition's services, implementing lib/'s contracts without the desktop's
# libraries: text from the glyph file captured at build time, CP932 from a table captured
# with it, JPEG refused, PNG refused, the frame checksum in plain C++, the no-replace rename
# by checking the name.
set(VEXA_PLATFORM_SERVICES
  ${CMAKE_CURRENT_LIST_DIR}/RenameNoReplace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WebFrames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WebPictures.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WebShiftJis.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WebText.cpp)
