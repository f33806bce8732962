# cmake -DSOURCE_DIR=DIR -P CheckHostLayers.cmake
# Fails when a file of one of quorlin-host's layers includes from a higher one. The layers,
# lowest first: midi/ (the file format), plugin/ (loading and driving the library), render/
# (pictures and the skin preview); the commands in host/ itself sit on top and may include
# every layer, while no layer includes them.
set(host_layers midi plugin render)

set(problems 0)
set(index 0)
foreach(layer IN LISTS host_layers)
    file(GLOB files "${SOURCE_DIR}/host/${layer}/*.h" "${SOURCE_DIR}/host/${layer}/*.cpp")
    foreach(file IN LISTS files)
        file(STRINGS "${file}" includes REGEX "^#include \"host/")
        foreach(line IN LISTS includes)
            set(position 99)
            if(line MATCHES "^#include \"host/([A-Za-z_]+)/")
                list(FIND host_layers ${CMAKE_MATCH_1} position)
            endif()
            if(position LESS 0 OR position GREATER index)
                file(RELATIVE_PATH name "${SOURCE_DIR}" "${file}")
                message("${name}: ${line} climbs above host/${layer}")
                math(EXPR problems "${problems} + 1")
            endif()
        endforeach()
    endforeach()
    math(EXPR index "${index} + 1")
endforeach()

list(JOIN host_layers " < " order)
if(problems GREATER 0)
    message(FATAL_ERROR "${problems} include(s) against the host's layer order ${order} < commands")
endif()
message("every host layer includes only itself and the layers beneath it: ${order} < commands")
