# The program as a shell starts it, and as `cmake --install` lays it out:
# - `velkar --help` and `velkar --version` answer on the terminal with no display at all;
# - a wrong command line ends with exit code 2 and a message on standard error, display or not;
# - the install puts the desktop entry (offered for .srt and .sub files) and the icon in place.
# Run with -DVELKAR=<program> -DBUILD_DIR=<build folder> -DWORK_DIR=<scratch folder>.

# expect(<message> <condition>...): fails with <message> unless the condition holds.
function(expect message)
    if(NOT (${ARGN}))
        message(FATAL_ERROR "${message}")
    endif()
endfunction()

# No display and no platform: only the terminal answers can work.
set(no_display env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)

execute_process(COMMAND ${no_display} ${VELKAR} --help
                RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect("--help ended with ${code}: ${err}" code EQUAL 0)
string(FIND "${out}" "[options] [SUBTITLE] [MOVIE]" usage)
expect("--help gave no usage line: ${out}" NOT usage EQUAL -1)

execute_process(COMMAND ${no_display} ${VELKAR} --version
                RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect("--version ended with ${code}: ${err}" code EQUAL 0)
expect("--version answered '${out}'" out STREQUAL "velkar 1.4.0\n")

execute_process(COMMAND env QT_QPA_PLATFORM=offscreen ${VELKAR} a.srt b.mkv c.mkv
                RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect("three files ended with ${code}" code EQUAL 2)
string(FIND "${err}" "Too many files" mistake)
expect("three files gave no message: ${err}" NOT mistake EQUAL -1)

execute_process(COMMAND ${no_display} ${VELKAR} --frobnicate
                RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
expect("a wrong option with no display ended with ${code}" code EQUAL 2)
string(FIND "${err}" "frobnicate" mistake)
expect("a wrong option with no display gave no message: ${err}" NOT mistake EQUAL -1)

file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${WORK_DIR}"
                RESULT_VARIABLE code OUTPUT_QUIET ERROR_VARIABLE err)
expect("cmake --install failed: ${err}" code EQUAL 0)
set(entry "${WORK_DIR}/share/applications/velkar.desktop")
expect("no desktop entry at ${entry}" EXISTS "${entry}")
expect("no icon" EXISTS "${WORK_DIR}/share/icons/hicolor/scalable/apps/velkar.svg")
expect("no program" EXISTS "${WORK_DIR}/bin/velkar")
# The module stands in the multiarch library folder where there is one.
file(GLOB module "${WORK_DIR}/lib/*/velkar/velkar-sound.so" "${WORK_DIR}/lib/velkar/velkar-sound.so")
expect("no sound module for velkar-cli" module)
expect("no manual page" EXISTS "${WORK_DIR}/share/man/man1/velkar-cli.1.gz")
file(STRINGS "${entry}" lines)
foreach(wanted "Exec=velkar %F" "Icon=velkar" "Type=Application"
        "MimeType=application/x-subrip;text/x-microdvd;text/x-subviewer;")
    list(FIND lines "${wanted}" found)
    expect("the desktop entry lacks '${wanted}'" NOT found EQUAL -1)
endforeach()
file(REMOVE_RECURSE "${WORK_DIR}")
