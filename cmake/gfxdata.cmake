# The picture files the program cannot start without, drawn by the picture
# generator (tools/gfxgen) at build time: nothing of them comes from outside.
# The generator is a program of the build machine: natively an ordinary
# target, in the Windows (cross) build a small project of its own built with
# the host compiler. Either way it writes into ORBA_DATA_OUT (the program
# folder of the Windows build, the native build's data folder), and the data
# target - on which every test depends - waits for it.

set(GFXGEN_OUTPUTS)
foreach(f orba.gzg orba.fx1 orba.fx2 orba.fx4 orba.fw1 orba.fw2 orba.fw4 orba.fzg orba.fz2 orba.fz4 orba.tbd)
  list(APPEND GFXGEN_OUTPUTS ${ORBA_DATA_OUT}/${f})
endforeach()

# The drawing library, also linked into the generator's test.
file(GLOB GFXGEN_ART_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/gfxgen/art_*.cpp)
add_library(gfxgen_art STATIC ${GFXGEN_ART_SOURCES})
target_link_libraries(gfxgen_art PUBLIC orba_core)

if(NOT ORBA_WIN32)
  add_executable(gfxgen ${CMAKE_SOURCE_DIR}/tools/gfxgen/gfxgen_main.cpp)
  target_link_libraries(gfxgen PRIVATE gfxgen_art)
  set(GFXGEN_COMMAND $<TARGET_FILE:gfxgen>)
  set(GFXGEN_DEPENDS gfxgen)
else()
  set(GFXGEN_HOST_DIR ${CMAKE_BINARY_DIR}/gfxgen-host)
  file(GLOB_RECURSE GFXGEN_HOST_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/tools/gfxgen/*.cpp ${CMAKE_SOURCE_DIR}/tools/gfxgen/*.h
    ${CMAKE_SOURCE_DIR}/platform/*.cpp ${CMAKE_SOURCE_DIR}/platform/*.h
    ${CMAKE_SOURCE_DIR}/model/*.cpp ${CMAKE_SOURCE_DIR}/model/*.h
    ${CMAKE_SOURCE_DIR}/operation/*.cpp ${CMAKE_SOURCE_DIR}/operation/*.h
    ${CMAKE_SOURCE_DIR}/render/*.cpp ${CMAKE_SOURCE_DIR}/render/*.h
    ${CMAKE_SOURCE_DIR}/shell/*.cpp ${CMAKE_SOURCE_DIR}/shell/*.h
    ${CMAKE_SOURCE_DIR}/dialogs/*.cpp ${CMAKE_SOURCE_DIR}/dialogs/*.h)
  set(GFXGEN_HOST_EXE ${GFXGEN_HOST_DIR}/gfxgen)
  # The host compiler: the cross toolchain must not leak into this project.
  add_custom_command(
    OUTPUT ${GFXGEN_HOST_EXE}
    COMMAND ${CMAKE_COMMAND} -E env --unset=CC --unset=CXX
            ${CMAKE_COMMAND} -S ${CMAKE_SOURCE_DIR}/tools/gfxgen -B ${GFXGEN_HOST_DIR}
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=c++
    COMMAND ${CMAKE_COMMAND} --build ${GFXGEN_HOST_DIR} -j4
    DEPENDS ${GFXGEN_HOST_SOURCES} ${CMAKE_SOURCE_DIR}/tools/gfxgen/CMakeLists.txt
    COMMENT "Picture generator (host build)"
    VERBATIM)
  set(GFXGEN_COMMAND ${GFXGEN_HOST_EXE})
  set(GFXGEN_DEPENDS ${GFXGEN_HOST_EXE})
endif()

# The sanitizers of the native build would count the generator's process-wide
# blocks (kept until exit on purpose) as leaks.
add_custom_command(
  OUTPUT ${GFXGEN_OUTPUTS}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 ${GFXGEN_COMMAND} ${ORBA_DATA_OUT}
  DEPENDS ${GFXGEN_DEPENDS}
  COMMENT "Picture files"
  VERBATIM)
add_custom_target(gfxdata ALL DEPENDS ${GFXGEN_OUTPUTS})
add_dependencies(orba_data gfxdata)

# The generator's test needs the drawing library; the test targets are made
# after this file is read, so the link is added when the folder is done.
function(gfxgen_link_test)
  if(TARGET gfxgen_test)
    target_link_libraries(gfxgen_test PRIVATE gfxgen_art)
  endif()
endfunction()
cmake_language(DEFER CALL gfxgen_link_test)
