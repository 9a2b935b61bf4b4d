# Writes a man page from a program's --help text with help2man, so that the two cannot
# drift apart; the sections --help does not hold come from packaging/man/NAME.h2m.
# cmake -DPROGRAM=path -DNAME=h7extract -DSUMMARY="..." -DVERSION=x -DINCLUDE=file -DOUTPUT=file -P manpage.cmake
set(ENV{LC_ALL} C.UTF-8)
get_filename_component(folder ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})  # help2man does not make it, and a fresh build has none
execute_process(COMMAND help2man --locale=C.UTF-8 --no-info --version-string=${VERSION} "--name=${SUMMARY}"
                        --include=${INCLUDE} --output=${OUTPUT} ${PROGRAM}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man ${PROGRAM} failed")
endif()
