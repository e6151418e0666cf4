# Installs the build into a temporary prefix and checks that a Linux desktop finds every
# part: both programs, the help pages, the desktop entry and the icon.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(part bin/quillory bin/quillory-cli share/applications/quillory.desktop
             share/icons/hicolor/scalable/apps/quillory.svg)
    if(NOT EXISTS "${PREFIX}/${part}")
        message(FATAL_ERROR "not installed: ${part}")
    endif()
endforeach()
if(EXISTS "${SOURCE_DIR}/help/Start.htm" AND NOT EXISTS "${PREFIX}/share/quillory/help/Start.htm")
    message(FATAL_ERROR "the help pages were not installed")
endif()
file(REMOVE_RECURSE "${PREFIX}")
