# The layers: every source folder and the folders its files may include
# besides their own. A file belongs to the longest folder that starts its
# path, so editor/widgets/ is a layer of its own inside editor/.
#
# The product, lowest first: engine <- document <- content <- plugin; ui
# stands beside them and knows none of them; editor/widgets builds on ui and
# the sound side but not on the editor shell or the plug-in; the editor uses
# them all. Libraries declare their links with ob_add_subsystem, which
# refuses a dependency this table does not allow.
set(OB_LAYER_FOLDERS
  engine document content plugin ui editor/widgets editor
  plugin_module tools resources support support/plugin support/ui support/editor/widgets support/editor benchmarks
  fuzz)

set(OB_PRODUCT_LAYERS engine document content plugin ui editor/widgets editor)

set(OB_LAYER_USES_engine "")
set(OB_LAYER_USES_document engine)
set(OB_LAYER_USES_content engine document)
set(OB_LAYER_USES_plugin engine document content)
set(OB_LAYER_USES_ui "")
set(OB_LAYER_USES_editor/widgets ui engine document content)
set(OB_LAYER_USES_editor ui editor/widgets engine document content plugin)

# Around the product: the module links the plug-in and the editor together,
# the tools and the build-time generator use the sound side, and the support
# helpers sit with the layer they drive (support/ itself uses nothing).
set(OB_LAYER_USES_plugin_module ${OB_PRODUCT_LAYERS})
set(OB_LAYER_USES_tools engine document content plugin)
set(OB_LAYER_USES_resources engine document content)
set(OB_LAYER_USES_support "")
set(OB_LAYER_USES_support/plugin engine document content plugin support)
set(OB_LAYER_USES_support/ui ui support)
set(OB_LAYER_USES_support/editor/widgets editor/widgets ui engine document content support support/ui)
# The editor's helpers; the end-to-end ones drive the built plug-in through
# the test host.
set(OB_LAYER_USES_support/editor editor ui editor/widgets engine document content plugin tools support support/ui)
set(OB_LAYER_USES_benchmarks ${OB_PRODUCT_LAYERS} support support/plugin support/ui support/editor/widgets support/editor)
set(OB_LAYER_USES_fuzz ${OB_PRODUCT_LAYERS})

# tests/<folder> may include what <folder> may, the folder itself, its own
# test helpers and the support helpers of those layers; and what is listed
# here besides.
set(OB_TEST_USES_plugin tools)
# The editor's tests drive the header's dialogs with the UI tests' stand-ins
# for the desktop's chooser programs.
set(OB_TEST_USES_editor tools tests/ui)
