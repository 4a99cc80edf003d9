# Data files the programs read at start-up, made from the sources in data/.
# The Windows build writes them into the program folder beside the programs;
# the native build into its own data folder, where the tests find them.
if(ORBA_WIN32)
  set(ORBA_DATA_OUT ${ORBA_BIN_DIR})
else()
  set(ORBA_DATA_OUT ${CMAKE_BINARY_DIR}/data)
endif()
file(MAKE_DIRECTORY ${ORBA_DATA_OUT})

set(ORBA_DATA_FILES)
foreach(pair "orba_lng.txt;orba.lng" "orba_lnv.txt;orba.lnv" "orba_lnx.txt;orba.lnx")
  list(GET pair 0 src)
  list(GET pair 1 out)
  add_custom_command(
    OUTPUT ${ORBA_DATA_OUT}/${out}
    COMMAND sh ${CMAKE_SOURCE_DIR}/tools/mklng.sh ${CMAKE_SOURCE_DIR}/data/lang/${src} ${ORBA_DATA_OUT}/${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/data/lang/${src} ${CMAKE_SOURCE_DIR}/tools/mklng.sh
    COMMENT "Language file ${out}")
  list(APPEND ORBA_DATA_FILES ${ORBA_DATA_OUT}/${out})
endforeach()

# The multi-cell symbol definitions are read as they are.
add_custom_command(
  OUTPUT ${ORBA_DATA_OUT}/orba.bnm
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/data/orba.bnm ${ORBA_DATA_OUT}/orba.bnm
  DEPENDS ${CMAKE_SOURCE_DIR}/data/orba.bnm
  COMMENT "Symbol definitions orba.bnm")
list(APPEND ORBA_DATA_FILES ${ORBA_DATA_OUT}/orba.bnm)

add_custom_target(orba_data ALL DEPENDS ${ORBA_DATA_FILES})
