# The sounds of the program and their catalogue, synthesised at build time by
# tools/mksounds.py into the sound folder of ORBA_DATA_OUT: nothing of them
# comes from outside.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(ORBA_SOUND_CATALOGUE ${ORBA_DATA_OUT}/sound/orba.skf)
add_custom_command(
  OUTPUT ${ORBA_SOUND_CATALOGUE}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/mksounds.py ${ORBA_DATA_OUT}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/mksounds.py
  COMMENT "Sounds and their catalogue"
  VERBATIM)
add_custom_target(sounddata ALL DEPENDS ${ORBA_SOUND_CATALOGUE})
add_dependencies(orba_data sounddata)
