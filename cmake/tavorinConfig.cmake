# Package file of the installed tavorin library: find_package(tavorin) gives
# the target tavorin::tavorin (tavorin/convert.h and libtavorin.a).
# The libraries it links, found here as when the library was built, reach the
# program through the target.
include(CMakeFindDependencyMacro)
find_dependency(ZLIB)
find_dependency(PkgConfig)

foreach(module LIBZIP:libzip LIBDEFLATE:libdeflate TURBOJPEG:libturbojpeg SPNG:spng)
  string(REPLACE ":" ";" module "${module}")
  list(GET module 0 prefix)
  list(GET module 1 name)
  if(NOT TARGET PkgConfig::${prefix})
    pkg_check_modules(${prefix} QUIET IMPORTED_TARGET ${name})
  endif()
  if(NOT TARGET PkgConfig::${prefix})
    set(tavorin_FOUND FALSE)
    set(tavorin_NOT_FOUND_MESSAGE "tavorin needs ${name} (pkg-config could not find it)")
    return()
  endif()
endforeach()

# stb_image (GIF and BMP covers) has no CMake package of its own: the finder
# installed beside this file gives its target.
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
find_dependency(StbImage)

include(${CMAKE_CURRENT_LIST_DIR}/tavorinTargets.cmake)
