# Native helper programs of the build machine.
#   orba_render: renders a region of a layout into a BMP through the views'
#   redraw path (picture, schematic and overview views).
if(NOT ORBA_WIN32)
  add_executable(orba_render ${CMAKE_SOURCE_DIR}/tools/render/render_main.cpp)
  target_link_libraries(orba_render PRIVATE orba_core)
  target_compile_definitions(orba_render PRIVATE ORBA_DATA_DIR="${ORBA_DATA_OUT}")
  add_dependencies(orba_render orba_data)
endif()
# The compositor benchmark reads the picture files of the data folder.
if(TARGET compose_bench)
  target_compile_definitions(compose_bench PRIVATE ORBA_DATA_DIR="${ORBA_DATA_OUT}")
  add_dependencies(compose_bench orba_data)
endif()
