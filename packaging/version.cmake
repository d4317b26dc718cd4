# Writes the package's VERSION file: the version and the commit the build was made from,
# marked when tracked files held changes that were not committed. Run as
# cmake -DGIT=... -DSOURCE_DIR=... -DVERSION=... -DOUTPUT=... -P version.cmake
set(commit "unknown (not built from a git checkout)")
if(GIT)
    execute_process(COMMAND ${GIT} -C ${SOURCE_DIR} rev-parse HEAD
        OUTPUT_VARIABLE head OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status ERROR_QUIET)
    if(status EQUAL 0)
        set(commit ${head})
        execute_process(COMMAND ${GIT} -C ${SOURCE_DIR} status --porcelain --untracked-files=no
            OUTPUT_VARIABLE changes RESULT_VARIABLE status ERROR_QUIET)
        if(status EQUAL 0 AND NOT changes STREQUAL "")
            string(APPEND commit " with uncommitted changes")
        endif()
    endif()
endif()
set(text "Kelvaro ${VERSION}\ncommit ${commit}\n")
set(old "")
if(EXISTS ${OUTPUT})
    file(READ ${OUTPUT} old)
endif()
if(NOT text STREQUAL old)
    file(WRITE ${OUTPUT} "${text}")
endif()
