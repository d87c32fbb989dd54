# The layer check on a made-up tree: every include above its layer is named,
# and nothing within its layer is. Then the links: a library whose links
# differ from its row of the table is refused, and so is a made-up project
# that links past a row after declaring its libraries.
#   cmake -DWORK=<scratch folder> [-DGENERATOR=<generator>] -P cmake/check_layers_test.cmake
cmake_minimum_required(VERSION 3.25)

if(NOT GENERATOR)
  set(GENERATOR Ninja)
endif()
set(tree ${WORK}/layers_tree)
file(REMOVE_RECURSE ${tree})
function(source path)
  list(JOIN ARGN "\n" text)
  file(WRITE ${tree}/${path} "${text}\n")
endfunction()

# Fails the test, with the output, unless every text is in it (or, for
# expect_named(<output> FALSE ...), none is).
function(expect_named output wanted)
  set(failed FALSE)
  foreach(text ${ARGN})
    string(FIND "${output}" "${text}" at)
    if(wanted AND at LESS 0)
      message(SEND_ERROR "not named: ${text}")
      set(failed TRUE)
    elseif(NOT wanted AND at GREATER_EQUAL 0)
      message(SEND_ERROR "named though within its layer: ${text}")
      set(failed TRUE)
    endif()
  endforeach()
  if(failed)
    message(FATAL_ERROR "${output}")
  endif()
endfunction()

source(engine/within.h "#include \"engine/model/project.h\"" "#include <vector>")
source(engine/above.cpp "#include \"document/json/json_value.h\"")
source(document/within.cpp "#include \"engine/fnv.h\"" "#include \"document/wav/wav.h\"")
source(document/above.cpp "  #  include <content/kits/kit_library.h>")
source(ui/above.h "#include \"engine/engine/engine.h\"")
source(editor/widgets/within.cpp "#include \"ui/theme.h\"" "#include \"engine/params/param_info.h\"")
source(editor/widgets/content.cpp "#include \"content/kits/kit_library.h\"")
source(editor/widgets/document.cpp "#include \"document/json/json_value.h\"")
source(editor/widgets/shell.cpp "#include \"editor/root_view.h\"")
source(editor/widgets/plugin.cpp "#include \"plugin/plugin.h\"")
source(editor/within.cpp "#include \"editor/widgets/tile.h\"" "#include \"plugin/plugin.h\"")
source(plugin/editor.cpp "#include \"editor/root_view.h\"")
source(tests/engine/within_test.cpp "#include \"support/allocation_counter.h\""
       "#include \"tests/engine/engine_test_util.h\"" "#include \"local_helper.h\"")
source(tests/engine/above_test.cpp "#include \"support/plugin/process_harness.h\"")
source(tests/plugin/within_test.cpp "#include \"tools/clap_host/test_host.h\""
       "#include \"support/plugin/process_harness.h\"" "#include \"tests/plugin/state_harness.h\"")
source(tests/document/above_test.cpp "#include \"tests/plugin/state_harness.h\"")
source(benchmarks/above.cpp "#include \"tests/plugin/state_harness.h\"")
source(support/above.h "#include \"engine/engine/engine.h\"")
# Dear ImGui's internals: through the framework's one header, and only there.
source(ui/imgui_internals.h "#include <imgui_internal.h>")
source(ui/internals_within.cpp "#include \"ui/imgui_internals.h\"")
source(ui/internals_direct.cpp "#include <imgui_internal.h>")
source(editor/internals_direct.cpp "#include <imgui_internal.h>")
source(editor/widgets/internals_through.cpp "#include \"ui/imgui_internals.h\"")
source(tests/editor/internals_within_test.cpp "#include \"ui/imgui_internals.h\"")
# An include counts by the file the compiler finds: beside the including
# file, then from the source folder, then (for the tests) from tests/.
source(document/json/json_value.h "")
source(editor/root_view.h "")
source(engine/model/project.h "")
source(tests/plugin/state_harness.h "")
source(tests/ui/dialog_rig.h "")
source(engine/up.cpp "#include \"../document/json/json_value.h\"")
source(engine/dotted.cpp "#include \"./engine/../document/json/json_value.h\"")
source(engine/absolute.cpp "#include \"${tree}/document/json/json_value.h\"")
source(editor/widgets/up_to_shell.cpp "#include \"../root_view.h\"")
source(editor/widgets/doubled_slash.cpp "#include <editor//root_view.h>")
source(editor/widgets/internals_up.cpp "#include \"../../ui/imgui_internals.h\"")
source(tests/document/through_tests_test.cpp "#include \"plugin/state_harness.h\"")
source(editor/internals_prefixed.cpp "#include <imgui/imgui_internal.h>")
source(editor/internals_next.cpp "#include_next <imgui_internal.h>")
source(engine/model/beside.cpp "#include \"project.h\"")
source(editor/below.cpp "#include \"widgets/../root_view.h\"")
source(ui/internals_beside.cpp "#include \"imgui_internals.h\"")
source(tests/editor/through_tests_test.cpp "#include \"ui/dialog_rig.h\"")

execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${tree} -P ${CMAKE_CURRENT_LIST_DIR}/check_layers.cmake
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(result EQUAL 0)
  message(FATAL_ERROR "the check passed a tree with includes above their layers:\n${output}")
endif()

set(above engine/above.cpp document/above.cpp ui/above.h editor/widgets/shell.cpp editor/widgets/plugin.cpp
    editor/widgets/content.cpp editor/widgets/document.cpp plugin/editor.cpp tests/engine/above_test.cpp
    tests/document/above_test.cpp benchmarks/above.cpp support/above.h ui/internals_direct.cpp
    editor/internals_direct.cpp editor/widgets/internals_through.cpp engine/up.cpp engine/dotted.cpp
    engine/absolute.cpp editor/widgets/up_to_shell.cpp editor/widgets/doubled_slash.cpp
    editor/widgets/internals_up.cpp tests/document/through_tests_test.cpp editor/internals_prefixed.cpp
    editor/internals_next.cpp)
set(within engine/within.h document/within.cpp editor/widgets/within.cpp editor/within.cpp
    tests/engine/within_test.cpp tests/plugin/within_test.cpp ui/imgui_internals.h ui/internals_within.cpp
    tests/editor/internals_within_test.cpp engine/model/beside.cpp editor/below.cpp ui/internals_beside.cpp
    tests/editor/through_tests_test.cpp)
list(TRANSFORM above APPEND " includes")
list(TRANSFORM within APPEND " includes")
expect_named("${output}" TRUE ${above})
expect_named("${output}" FALSE ${within})

# A library's links against its row: each case is (library, folder, linked
# folders, whether the table takes it).
function(links_case name dir linked accepted)
  set(script ${tree}/links_${name}.cmake)
  file(WRITE ${script} "cmake_minimum_required(VERSION 3.25)\ninclude(${CMAKE_CURRENT_LIST_DIR}/Layers.cmake)\n"
                       "ob_check_layer_links(${name} ${dir} ${linked})\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -P ${script} RESULT_VARIABLE result OUTPUT_VARIABLE output
                  ERROR_VARIABLE output)
  if(accepted AND NOT result EQUAL 0)
    message(SEND_ERROR "${name} links its row ${linked}, yet is refused:\n${output}")
  elseif(NOT accepted AND result EQUAL 0)
    message(SEND_ERROR "${name} links ${linked}, not its row, yet is taken")
  elseif(NOT accepted AND NOT output MATCHES "${name} \\(${dir}/\\)")
    message(SEND_ERROR "${name} is refused without being named:\n${output}")
  endif()
endfunction()
links_case(ob_engine engine "" TRUE)
links_case(ob_plugin plugin "engine;document;content" TRUE)
links_case(ob_widgets editor/widgets "ui;engine" TRUE)
links_case(ob_widgets_more editor/widgets "ui;engine;content" FALSE)
links_case(ob_widgets_fewer editor/widgets "ui" FALSE)
links_case(ob_content_above content "engine;document;plugin" FALSE)
links_case(ob_ui_engine ui "engine" FALSE)

# What a configured project really links: libraries declared along their
# rows configure; every way of linking past a row afterwards (a later
# target_link_libraries, an interface library in between, an alias, the
# archive by -l, a link property set by hand) is refused, naming the
# library.
foreach(dir engine document content plugin ui editor/widgets editor)
  source(project/${dir}/unit.cpp "int unit() { return 0; }")
endforeach()
set(declared "cmake_minimum_required(VERSION 3.25)
project(links LANGUAGES CXX)
include(${CMAKE_CURRENT_LIST_DIR}/Subsystem.cmake)
ob_add_subsystem(ob_engine engine)
ob_add_subsystem(ob_document document DEPENDS ob_engine)
ob_add_subsystem(ob_content content DEPENDS ob_engine ob_document)
ob_add_subsystem(ob_plugin plugin DEPENDS ob_engine ob_document ob_content)
ob_add_subsystem(ob_ui ui)
ob_add_subsystem(ob_widgets editor/widgets DEPENDS ob_ui ob_engine)
ob_add_subsystem(ob_editor editor DEPENDS ob_ui ob_widgets ob_engine ob_document ob_content ob_plugin)
add_library(outside INTERFACE)
target_link_libraries(outside INTERFACE ob_engine)
target_link_libraries(ob_editor PRIVATE outside)
")

function(configure expect_success)
  execute_process(COMMAND ${CMAKE_COMMAND} -G ${GENERATOR} -S ${tree}/project -B ${tree}/project/build RESULT_VARIABLE result
                  OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(expect_success AND NOT result EQUAL 0)
    message(FATAL_ERROR "libraries linked along their rows are refused:\n${output}")
  elseif(NOT expect_success AND result EQUAL 0)
    message(FATAL_ERROR "libraries linked past their rows are taken:\n${output}")
  endif()
  set(output "${output}" PARENT_SCOPE)
endfunction()

# Along the rows (a link through another target to a layer of the row
# included): taken.
file(WRITE ${tree}/project/CMakeLists.txt "${declared}")
configure(TRUE)

# Past them, each library a different way; and one that lost a link.
file(WRITE ${tree}/project/CMakeLists.txt "${declared}
target_link_libraries(ob_widgets PRIVATE ob_document)
add_library(through INTERFACE)
target_link_libraries(through INTERFACE $<LINK_ONLY:ob_ui>)
target_link_libraries(ob_engine PUBLIC through)
add_library(ob::plugin ALIAS ob_plugin)
target_link_libraries(ob_content PRIVATE ob::plugin)
target_link_libraries(ob_ui PRIVATE -lob_engine)
set_property(TARGET ob_document APPEND PROPERTY INTERFACE_LINK_LIBRARIES $<$<CONFIG:Debug>:ob_editor>)
set_property(TARGET ob_plugin PROPERTY LINK_LIBRARIES ob_engine ob_document)
set_property(TARGET ob_plugin PROPERTY INTERFACE_LINK_LIBRARIES ob_engine ob_document)
")
configure(FALSE)
expect_named("${output}" TRUE "ob_widgets (editor/widgets/) may not link document/"
             "ob_engine (engine/) may not link ui/" "ob_content (content/) may not link plugin/"
             "ob_ui (ui/) may not link engine/" "ob_document (document/) may not link editor/"
             "ob_plugin (plugin/) does not link content/")
file(REMOVE_RECURSE ${tree})
