# Installs the build into a temporary prefix and checks that a Linux desktop finds every
# part: both programs, the help pages, the manual pages, the
# bash completion, the desktop entry and the icon.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(part bin/quillory bin/quillory-cli share/applications/quillory.desktop
             share/icons/hicolor/scalable/apps/quillory.svg share/man/man1/quillory.1
             share/man/man1/quillory-cli.1 share/bash-completion/completions/quillory-cli)
    if(NOT EXISTS "${PREFIX}/${part}")
        message(FATAL_ERROR "not installed: ${part}")
    endif()
endforeach()
if(EXISTS "${SOURCE_DIR}/help/Start.htm" AND NOT EXISTS "${PREFIX}/share/quillory/help/Start.htm")
    message(FATAL_ERROR "the help pages were not installed")
endif()
# Both programs print the same version, the build's.
foreach(program quillory quillory-cli)
    execute_process(COMMAND "${PREFIX}/bin/${program}" --version OUTPUT_VARIABLE version_${program}
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0 OR NOT version_${program} STREQUAL "Quillory ${VERSION}\n")
        message(FATAL_ERROR "${program} --version: status ${result}, printed \"${version_${program}}\"")
    endif()
endforeach()
# The installed completion offers the commands, the search options and the sort columns.
set(complete "source '${PREFIX}/share/bash-completion/completions/quillory-cli'
ask() { COMP_WORDS=(\"$@\"); COMP_CWORD=$(($# - 1)); _quillory_cli; echo \"\${COMPREPLY[*]}\"; }
ask quillory-cli se; ask quillory-cli --db x.qdb search --wh; ask quillory-cli search -c --sort s; ask quillory-cli info ''")
execute_process(COMMAND bash -c "${complete}" OUTPUT_VARIABLE offered RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT offered STREQUAL "search\n--whole-words\nsize size:desc\n--json\n")
    message(FATAL_ERROR "bash completion offered:\n${offered}")
endif()
file(REMOVE_RECURSE "${PREFIX}")
