# The plug-in's layers, lowest first. Each folder builds as the static library quorlin_<layer>,
# which links the layer beneath it and so brings every lower layer along. The lowest, legato, is
# the legato rule in plain C++: it knows nothing of the binary contract above it, and the LV2
# plug-in and quorlin-host reach it without seeing any other layer.
#
# A layer sees only itself and the layers beneath it: its include path is a folder of links to
# exactly those source folders, so an include that climbs a layer is not found and the build
# fails. The layers_include_downward test reads the sources for the same rule, headers that no
# source of their own layer includes among them.
set(QUORLIN_LAYERS legato component parameters resources module product factory)

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

# A folder of links for code beside the layers (the LV2 plug-in, quorlin-host): its own folder
# and the layers named, nothing else, so an include of any other layer is not found.
function(quorlin_add_view target own)
    set(view "${PROJECT_BINARY_DIR}/views/${target}")
    file(MAKE_DIRECTORY "${view}")
    foreach(folder IN LISTS own ARGN)
        file(CREATE_LINK "${PROJECT_SOURCE_DIR}/${folder}" "${view}/${folder}" SYMBOLIC)
    endforeach()
    target_include_directories(${target} PRIVATE "${view}")
endfunction()

# The settings' ranges and defaults from legato/PlayingRanges.h, where they are written once, as
# QUORLIN_<NAME> variables in the caller's scope (speedOff as QUORLIN_SPEED_OFF), for the
# plug-in metadata that configure_file writes. A value may name an earlier one.
function(quorlin_read_playing_ranges)
    set(header "${PROJECT_SOURCE_DIR}/legato/PlayingRanges.h")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${header}")
    file(STRINGS "${header}" lines
         REGEX "^inline constexpr std::int32_t [A-Za-z]+ = [-A-Za-z0-9]+;")
    foreach(line IN LISTS lines)
        string(REGEX REPLACE "^inline constexpr std::int32_t ([A-Za-z]+) = ([-A-Za-z0-9]+);.*"
                             "\\1;\\2" pair "${line}")
        list(GET pair 0 name)
        list(GET pair 1 value)
        if(DEFINED range_${value})
            set(value "${range_${value}}")
        endif()
        set(range_${name} "${value}")
        string(REGEX REPLACE "([a-z])([A-Z])" "\\1_\\2" upper "${name}")
        string(TOUPPER "${upper}" upper)
        set(QUORLIN_${upper} "${value}" PARENT_SCOPE)
    endforeach()
endfunction()
