# One static library per subsystem folder, made of every .cpp below it.
set(OB_SUBSYSTEMS "" CACHE INTERNAL "")

function(ob_add_subsystem name dir)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/${dir}/*.cpp ${PROJECT_SOURCE_DIR}/${dir}/*.c)
  if(NOT sources)
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  set(OB_SUBSYSTEMS ${OB_SUBSYSTEMS} ${name} CACHE INTERNAL "")
endfunction()

# Every subsystem may call every other; static libraries allow the cycle.
function(ob_link_subsystems)
  foreach(lib ${OB_SUBSYSTEMS})
    foreach(other ${OB_SUBSYSTEMS})
      if(NOT lib STREQUAL other)
        target_link_libraries(${lib} PUBLIC ${other})
      endif()
    endforeach()
  endforeach()
  add_library(ob_all INTERFACE)
  # RESCAN lets the linker resolve the cycle however deep it goes.
  target_link_libraries(ob_all INTERFACE "$<LINK_GROUP:RESCAN,${OB_SUBSYSTEMS}>")
endfunction()
