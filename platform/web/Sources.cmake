# The browser edition's services, implementing lib/'s contracts without the desktop's
# libraries: the captured ones (platform/captured/), and the no-replace rename by checking
# the name.
include(${CMAKE_CURRENT_LIST_DIR}/../captured/Sources.cmake)
set(VEXA_PLATFORM_SERVICES
  ${VEXA_CAPTURED_SERVICES}
  ${CMAKE_CURRENT_LIST_DIR}/RenameNoReplace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../posix/SystemFiles.cpp)
