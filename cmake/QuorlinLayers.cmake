# The plug-in's layers, lowest first. Each folder builds as the static library quorlin_<layer>,
# which links the layer beneath it and so brings every lower layer along.
#
# A layer sees only itself and the layers beneath it: its include path is a folder of links to
# exactly those source folders, so an include that climbs a layer is not found and the build
# fails. The layers_include_downward test reads the sources for the same rule, headers that no
# source of their own layer includes among them.
set(QUORLIN_LAYERS component parameters resources module product factory)

function(quorlin_add_layer layer)
    list(FIND QUORLIN_LAYERS ${layer} index)
    if(index LESS 0)
        message(FATAL_ERROR "${layer} is not one of the layers: ${QUORLIN_LAYERS}")
    endif()
    set(view "${PROJECT_BINARY_DIR}/layers/${layer}")
    file(MAKE_DIRECTORY "${view}")
    foreach(position RANGE ${index})
        list(GET QUORLIN_LAYERS ${position} visible)
        file(CREATE_LINK "${PROJECT_SOURCE_DIR}/${visible}" "${view}/${visible}" SYMBOLIC)
    endforeach()

    add_library(quorlin_${layer} STATIC ${ARGN})
    target_include_directories(quorlin_${layer} PUBLIC "${view}")
    quorlin_warnings(quorlin_${layer})
    if(index GREATER 0)
        math(EXPR below "${index} - 1")
        list(GET QUORLIN_LAYERS ${below} lower)
        target_link_libraries(quorlin_${layer} PUBLIC quorlin_${lower})
    endif()
endfunction()
