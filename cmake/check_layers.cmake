# The layering check: a library's sources may include project headers only
# from the folders of its own layer and of the layers below it. Run as a
# script at build time (cmake -DLIBRARY=... -DALLOWED=a|b -DFILES=f|g
# -DSTAMP=file -P check_layers.cmake) whenever one of the files changes, and
# included by CMakeLists.txt to check the same at configure time. A header
# named without a folder is one beside the source and always allowed.

function(tavorin_check_layers library allowed files)
  foreach(file IN LISTS files)
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
      get_filename_component(folder "${header}" DIRECTORY)
      list(FIND allowed "${folder}" at)
      if(folder STREQUAL "" OR at GREATER -1)
        continue()
      endif()
      message(FATAL_ERROR "Layering: ${file} includes \"${header}\", but ${library} may include only "
                          "from ${allowed} (README, \"Layout\").")
    endforeach()
  endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  string(REPLACE "|" ";" allowed "${ALLOWED}")
  string(REPLACE "|" ";" files "${FILES}")
  tavorin_check_layers("${LIBRARY}" "${allowed}" "${files}")
  file(WRITE "${STAMP}" "")
endif()
