# Services for the editions built without the Linux desktop's libraries (the page, Windows):
# text from the glyph file captured at build time, CP932 from the table captured with it,
# the frame checksum in plain C++, JPEG and PNG refused in one line.
set(VEXA_CAPTURED_SERVICES
  ${CMAKE_CURRENT_LIST_DIR}/CapturedShiftJis.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CapturedText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NoJpeg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlainFrames.cpp)
