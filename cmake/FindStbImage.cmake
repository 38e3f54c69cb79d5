# Finds stb_image as Debian's libstb-dev ships it (the header in include/stb,
# the decoders compiled into libstb) and gives the target Stb::Image.
# pkg-config's "stb" is asked first; where it is missing (another
# distribution, a hand-made prefix) the header and the library are searched
# for directly.
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
  pkg_check_modules(PC_STB QUIET stb)
endif()
find_path(StbImage_INCLUDE_DIR stb_image.h
  HINTS ${PC_STB_INCLUDEDIR} ${PC_STB_INCLUDE_DIRS}
  PATH_SUFFIXES stb)
find_library(StbImage_LIBRARY NAMES stb
  HINTS ${PC_STB_LIBDIR} ${PC_STB_LIBRARY_DIRS})

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(StbImage
  REQUIRED_VARS StbImage_LIBRARY StbImage_INCLUDE_DIR
  REASON_FAILURE_MESSAGE "install Debian's libstb-dev (scripts/install-deps.sh)")

if(StbImage_FOUND AND NOT TARGET Stb::Image)
  add_library(Stb::Image UNKNOWN IMPORTED)
  set_target_properties(Stb::Image PROPERTIES
    IMPORTED_LOCATION "${StbImage_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${StbImage_INCLUDE_DIR}")
endif()
mark_as_advanced(StbImage_INCLUDE_DIR StbImage_LIBRARY)
