# Read by cpack: refuses a package whose program was configured for another prefix.
if(NOT CPACK_VEXA_BUILT_PREFIX STREQUAL CPACK_PACKAGING_INSTALL_PREFIX)
  message(FATAL_ERROR "the package installs to ${CPACK_PACKAGING_INSTALL_PREFIX}, but this build was configured "
                      "for ${CPACK_VEXA_BUILT_PREFIX}: configure it with -DCMAKE_INSTALL_PREFIX=${CPACK_PACKAGING_INSTALL_PREFIX}")
endif()
