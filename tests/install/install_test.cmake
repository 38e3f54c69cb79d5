# Installs the built project into a fresh prefix (one library), builds the
# embedding example (examples/) against it with find_package(tavorin), and
# converts the example book with it, the settings given as text: the book must
# be the executable's for that settings file, byte for byte, and the example
# must print the version and 100%. Run by ctest (cmake -D... -P this file).
function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "${what} failed (${code}):\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

set(prefix ${WORK_DIR}/prefix)
set(book ${SOURCE_DIR}/examples/anna_karenina_opening.fb2)
set(settings ${WORK_DIR}/larger_text.sini)
file(REMOVE_RECURSE ${WORK_DIR})
# Not the built-in settings, so that ignored settings text would show.
file(READ ${SOURCE_DIR}/default_styles.sini text)
string(REPLACE "FontSizex10=100" "FontSizex10=130" text "${text}")
file(WRITE ${settings} "${text}")

run("cmake --install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
file(GLOB_RECURSE headers RELATIVE ${prefix}/include ${prefix}/include/*)
if(NOT headers STREQUAL "tavorin/console_sink.h;tavorin/convert.h;tavorin/exit_code.h")
  message(FATAL_ERROR "installed headers: ${headers}")
endif()
file(GLOB_RECURSE libraries RELATIVE ${prefix} ${prefix}/*.a ${prefix}/*.so)
if(NOT libraries MATCHES "^lib[^;]*/libtavorin.a$")
  message(FATAL_ERROR "installed libraries: ${libraries}")
endif()

run("configuring the example" ${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_BUILD_TYPE=Release
    "-DCMAKE_CXX_FLAGS=${FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}")
run("building the example" ${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run("the example" ${WORK_DIR}/build/embed ${book} ${WORK_DIR}/embedded.lrf ${settings})
if(NOT out MATCHES "tavorin ${VERSION}, 100%\n0  DONE \n$")
  message(FATAL_ERROR "the example printed:\n${out}")
endif()
run("the executable" ${prefix}/bin/tavorin_c -s ${settings} -i ${book} -o ${WORK_DIR}/executable.lrf)
run("comparing the books" ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/embedded.lrf ${WORK_DIR}/executable.lrf)
