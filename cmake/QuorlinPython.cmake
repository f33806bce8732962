# The one Python interpreter for the test scripts: the first of the system's /usr/bin/python3
# and the python3 on the PATH that can import what the scripts need. Another interpreter may
# stand first on the PATH without the distribution's packages.
set(QUORLIN_PYTHON_MODULES mido PIL jack)

if(NOT QUORLIN_PYTHON)
    find_program(QUORLIN_PATH_PYTHON python3)
    set(chosen "")
    foreach(candidate /usr/bin/python3 ${QUORLIN_PATH_PYTHON})
        if(NOT chosen AND EXISTS "${candidate}")
            list(JOIN QUORLIN_PYTHON_MODULES ", " modules)
            execute_process(COMMAND "${candidate}" -c "import ${modules}"
                            RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
            if(status EQUAL 0)
                set(chosen "${candidate}")
            endif()
        endif()
    endforeach()
    if(NOT chosen)
        # The scripts still run and report what they miss.
        set(chosen /usr/bin/python3)
        message(STATUS "No python3 imports ${QUORLIN_PYTHON_MODULES}; the scripts use ${chosen}")
    endif()
    set(QUORLIN_PYTHON "${chosen}" CACHE FILEPATH "Python interpreter for the test scripts")
endif()
message(STATUS "Test scripts run under ${QUORLIN_PYTHON}")
