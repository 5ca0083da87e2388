# Writes the release files: the installer, a zip of the portable files and their SHA-256 sums.
# Given VERSION, SETUP (the built installer), FILES ("|"-separated) and OUTDIR.
string(REPLACE "|" ";" FILES "${FILES}")
set(base quenlox-${VERSION})
set(stage ${OUTDIR}/.stage/${base}-win32)
file(REMOVE_RECURSE ${OUTDIR})
file(MAKE_DIRECTORY ${stage})
file(COPY ${FILES} DESTINATION ${stage})
file(COPY_FILE ${SETUP} ${OUTDIR}/${base}-setup.exe)

# A fixed time stamp and order, so the same sources give the same zip.
file(GLOB staged RELATIVE ${OUTDIR}/.stage ${stage}/*)
list(SORT staged)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${OUTDIR}/${base}-win32.zip --format=zip
                        --mtime=2000-01-01 ${staged}
                WORKING_DIRECTORY ${OUTDIR}/.stage RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not write the zip")
endif()
file(REMOVE_RECURSE ${OUTDIR}/.stage)

set(sums "")
foreach(name ${base}-setup.exe ${base}-win32.zip)
  file(SHA256 ${OUTDIR}/${name} sum)
  string(APPEND sums "${sum}  ${name}\n")
endforeach()
file(WRITE ${OUTDIR}/${base}-SHA256SUMS.txt "${sums}")
message(STATUS "Release files in ${OUTDIR}")
