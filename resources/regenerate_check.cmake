# Runs the factory-sample generator once more into a scratch folder and
# compares what it writes with the committed manifest: a second generation
# must give the very same bytes.
# Arguments: GENERATOR, OUT, MANIFEST.
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
execute_process(COMMAND "${GENERATOR}" "${OUT}" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the generator failed: ${result}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUT}/factory.sha256" "${MANIFEST}"
                RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "regenerated files differ from ${MANIFEST}")
endif()
file(REMOVE_RECURSE "${OUT}")
