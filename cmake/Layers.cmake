# The layers: every source folder and the folders its files may include
# besides their own. A file belongs to the longest folder that starts its
# path, so editor/widgets/ is a layer of its own inside editor/.
#
# The product, lowest first: engine <- document <- content <- plugin; ui
# stands beside them and knows none of them; editor/widgets builds on ui and
# the engine (its parameter tables, the project model's track count, the
# tempo, and the curves the widgets draw as the engine plays them: the voice
# chain's drive, crush, room decay and synced divisions, the drum's
# distortion), on nothing of the documents, the content, the editor shell or
# the plug-in; the editor uses them all. A product layer's row is also what
# its library links: ob_add_subsystem refuses a library whose DEPENDS differ
# from its row, and the configure ends by checking what each library links
# however the link was made (ob_check_layer_links).
set(OB_LAYER_FOLDERS
  engine document content plugin ui editor/widgets editor
  plugin_module tools resources support support/document support/plugin support/ui support/editor/widgets support/editor benchmarks
  fuzz)

set(OB_PRODUCT_LAYERS engine document content plugin ui editor/widgets editor)

set(OB_LAYER_USES_engine "")
set(OB_LAYER_USES_document engine)
set(OB_LAYER_USES_content engine document)
set(OB_LAYER_USES_plugin engine document content)
set(OB_LAYER_USES_ui "")
set(OB_LAYER_USES_editor/widgets ui engine)
set(OB_LAYER_USES_editor ui editor/widgets engine document content plugin)

# Around the product: the module links the plug-in and the editor together,
# the tools and the build-time generator use the sound side, and the support
# helpers sit with the layer they drive (support/ itself uses nothing).
set(OB_LAYER_USES_plugin_module ${OB_PRODUCT_LAYERS})
set(OB_LAYER_USES_tools engine document content plugin)
set(OB_LAYER_USES_resources engine document content)
set(OB_LAYER_USES_support "")
set(OB_LAYER_USES_support/document engine document support)
set(OB_LAYER_USES_support/plugin engine document content plugin support)
set(OB_LAYER_USES_support/ui ui support)
set(OB_LAYER_USES_support/editor/widgets editor/widgets ui engine support support/ui)
# The editor's helpers; the end-to-end ones drive the built plug-in through
# the test host.
set(OB_LAYER_USES_support/editor editor ui editor/widgets engine document content plugin tools support support/ui)
set(OB_LAYER_USES_benchmarks ${OB_PRODUCT_LAYERS} support support/document support/plugin support/ui support/editor/widgets support/editor)
# The corpus replay measures each input with support's allocation counter;
# the session target drives an instance as the tests do, with their hosts,
# builders and headless UI frames.
set(OB_LAYER_USES_fuzz ${OB_PRODUCT_LAYERS} support support/document support/plugin support/ui)

# tests/<folder> may include what <folder> may, the folder itself, its own
# test helpers and the support helpers of those layers; and what is listed
# here besides.
set(OB_TEST_USES_plugin tools)
# The document tests hold saves to the rule the fuzz targets check, by the
# targets' own check of it.
set(OB_TEST_USES_document fuzz)
# The editor's tests drive the header's dialogs with the UI tests' stand-ins
# for the desktop's chooser programs.
set(OB_TEST_USES_editor tools tests/ui)

# How the layers a product library links (the folders of the libraries it
# links) differ from its row of the table, no more and no fewer: one finding
# a difference into out, none when they agree.
function(ob_layer_link_findings out name dir)
  set(linked ${ARGN})
  set(found "")
  foreach(used ${linked})
    if(NOT used IN_LIST OB_LAYER_USES_${dir})
      list(APPEND found "${name} (${dir}/) may not link ${used}/: see cmake/Layers.cmake")
    endif()
  endforeach()
  foreach(used ${OB_LAYER_USES_${dir}})
    if(NOT used IN_LIST linked)
      string(CONCAT finding "${name} (${dir}/) does not link ${used}/, which its row of cmake/Layers.cmake "
                    "lets it use: link it or take it off the row")
      list(APPEND found "${finding}")
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# Fails unless the layers a product library links are its row of the table.
#   ob_check_layer_links(ob_document document engine)
function(ob_check_layer_links name dir)
  ob_layer_link_findings(found ${name} ${dir} ${ARGN})
  if(found)
    list(JOIN found "\n  " text)
    message(FATAL_ERROR "${text}")
  endif()
endfunction()
