# The interface as a resource at "qrc:/": the pages, the script module, the
# shared components and the interface font (Debian's fonts-quicksand, built
# in under the name the window loads).
find_file(KV_QUICKSAND_MEDIUM Quicksand-Medium.ttf
    PATHS /usr/share/fonts/truetype/quicksand /usr/share/fonts/opentype/quicksand
    NO_DEFAULT_PATH REQUIRED)

function(kv_add_interface target)
    set(root ${PROJECT_SOURCE_DIR}/qml)
    file(GLOB pages CONFIGURE_DEPENDS ${root}/*.qml ${root}/*.js)
    file(GLOB components CONFIGURE_DEPENDS ${root}/components/*)
    qt_add_resources(${target} interface PREFIX "/" BASE ${root} FILES ${pages} ${components})
    set_source_files_properties(${KV_QUICKSAND_MEDIUM}
        PROPERTIES QT_RESOURCE_ALIAS Font/Quicksand_Medium.ttf)
    qt_add_resources(${target} interface_font PREFIX "/" FILES ${KV_QUICKSAND_MEDIUM})
endfunction()
