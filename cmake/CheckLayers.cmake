# cmake -DSOURCE_DIR=DIR -DLAYERS="lowest;...;highest" [-DUNDER=FOLDER] [-DOUTSIDE="a;b"]
#       [-DTOP=NAME] -P CheckLayers.cmake
# Fails when a file of a layer includes from a higher layer. The layers are the folders named
# in LAYERS, lowest first, under SOURCE_DIR/UNDER; includes are spelled from UNDER's parent
# ("component/..." for the plug-in's layers, "host/plugin/..." for quorlin-host's). An include
# of a folder in OUTSIDE climbs too. Under a folder (UNDER set), whatever else it holds is its
# top, named TOP in the message, which every layer lies beneath.
set(prefix "")
if(UNDER)
    set(prefix "${UNDER}/")
endif()

set(problems 0)
set(index 0)
foreach(layer IN LISTS LAYERS)
    file(GLOB files "${SOURCE_DIR}/${prefix}${layer}/*.h" "${SOURCE_DIR}/${prefix}${layer}/*.cpp")
    foreach(file IN LISTS files)
        file(STRINGS "${file}" includes REGEX "^#include \"${prefix}[A-Za-z0-9_]+[/.]")
        foreach(line IN LISTS includes)
            set(climbs FALSE)
            if(line MATCHES "^#include \"${prefix}([A-Za-z0-9_]+)/")
                list(FIND LAYERS ${CMAKE_MATCH_1} position)
                list(FIND OUTSIDE ${CMAKE_MATCH_1} forbidden)
                if(position GREATER index OR forbidden GREATER_EQUAL 0 OR
                   (UNDER AND position LESS 0))
                    set(climbs TRUE)
                endif()
            elseif(UNDER)
                set(climbs TRUE) # a file of the top itself
            endif()
            if(climbs)
                file(RELATIVE_PATH name "${SOURCE_DIR}" "${file}")
                message("${name}: ${line} climbs above ${prefix}${layer}")
                math(EXPR problems "${problems} + 1")
            endif()
        endforeach()
    endforeach()
    math(EXPR index "${index} + 1")
endforeach()

list(JOIN LAYERS " < " order)
if(TOP)
    string(APPEND order " < ${TOP}")
endif()
if(problems GREATER 0)
    message(FATAL_ERROR "${problems} include(s) against the layer order ${order}")
endif()
message("every layer includes only itself and the layers beneath it: ${order}")
