# The Windows resources of both programs: menus and accelerators, dialog
# templates, icons and the version (resources/*.rc, compiled by windres).
# The icons are drawn at build time by tools/mkicon.py into the build
# folder, where the resource compiler finds them; nothing binary is kept in
# the sources.
#
# The Windows menu test reads the resources of the built programs, so it
# waits for them; the native menu test reads resources/menus.rc itself.
if(ORBA_WIN32)
  enable_language(RC)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)

  set(ORBA_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
  set(ORBA_ICONS ${ORBA_ICON_DIR}/orba.ico ${ORBA_ICON_DIR}/orba_small.ico)
  add_custom_command(
    OUTPUT ${ORBA_ICONS}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ORBA_ICON_DIR}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/mkicon.py ${ORBA_ICON_DIR}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/mkicon.py
    COMMENT "Program icons"
    VERBATIM)
  add_custom_target(orba_icons DEPENDS ${ORBA_ICONS})

  file(GLOB ORBA_RC_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rc)
  set_source_files_properties(${ORBA_RC_SOURCES} PROPERTIES
    OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/resources/resid.h)
  set_property(SOURCE ${CMAKE_SOURCE_DIR}/resources/app.rc APPEND PROPERTY OBJECT_DEPENDS ${ORBA_ICONS})
  set_property(SOURCE ${CMAKE_SOURCE_DIR}/resources/app.rc PROPERTY INCLUDE_DIRECTORIES ${ORBA_ICON_DIR})
  foreach(prog orbasim orbaview)
    target_sources(${prog} PRIVATE ${ORBA_RC_SOURCES})
    add_dependencies(${prog} orba_icons)
  endforeach()
endif()

function(orba_resources_link_tests)
  # The dialog framework's test runs the message-box templates and its own.
  if(TARGET dfw_win32_test)
    target_sources(dfw_win32_test PRIVATE ${CMAKE_SOURCE_DIR}/resources/dialogs.rc
                                          ${CMAKE_SOURCE_DIR}/tests/dfw_win32_test.rc)
    add_dependencies(dfw_win32_test gfxdata)
  endif()
  if(TARGET menu_win32_test)
    add_dependencies(menu_win32_test orbasim orbaview)
    target_link_libraries(menu_win32_test PRIVATE version)
  endif()
  if(TARGET menu_test)
    target_compile_definitions(menu_test PRIVATE ORBA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  endif()
endfunction()
cmake_language(DEFER CALL orba_resources_link_tests)
