# Writes a man page from a program's --help text, so that the two cannot drift apart.
# cmake -DPROGRAM=path -DNAME=h7extract -DSUMMARY="..." -DVERSION=x -DOUTPUT=file -P manpage.cmake
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed")
endif()
string(REPLACE "\\" "\\e" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
string(TOUPPER ${NAME} title)
file(WRITE ${OUTPUT} ".TH ${title} 1 \"\" \"h7select ${VERSION}\" \"User Commands\"
.SH NAME
${NAME} \\- ${SUMMARY}
.SH DESCRIPTION
.nf
${help}.fi
.SH SEE ALSO
h7select, h7extract(1), h7sample(1)
")
