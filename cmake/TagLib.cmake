# TagLib, which writes the ratings into the copies: Debian's libtag1-dev for
# the native build, and for the Windows build the static library that
# scripts/setup cross-builds from Debian's source package into
# build/taglib-windows. Defines the target TagLib::TagLib.
if(WIN32)
  set(TRACKHAUL_TAGLIB_DIR "${PROJECT_SOURCE_DIR}/build/taglib-windows"
      CACHE PATH "TagLib built for Windows by scripts/setup")
  find_library(TAGLIB_LIBRARY tag PATHS "${TRACKHAUL_TAGLIB_DIR}/lib" NO_DEFAULT_PATH
               NO_CMAKE_FIND_ROOT_PATH)
  set(TAGLIB_INCLUDE_DIR "${TRACKHAUL_TAGLIB_DIR}/include/taglib")
  if(NOT TAGLIB_LIBRARY)
    message(FATAL_ERROR "No TagLib for Windows in ${TRACKHAUL_TAGLIB_DIR}: run scripts/setup")
  endif()
  add_library(TagLib::TagLib STATIC IMPORTED)
  set_target_properties(TagLib::TagLib PROPERTIES
    IMPORTED_LOCATION "${TAGLIB_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${TAGLIB_INCLUDE_DIR}"
    # The headers declare its functions for a DLL unless told otherwise.
    INTERFACE_COMPILE_DEFINITIONS TAGLIB_STATIC
    INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(TAGLIB REQUIRED IMPORTED_TARGET GLOBAL taglib)
  add_library(TagLib::TagLib ALIAS PkgConfig::TAGLIB)
endif()
