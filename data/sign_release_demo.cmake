# Signs every file of the demo release folders with the demo key pair, as a publisher signs a
# release: release-server sign --key KEY FILE... (nothing to do without the demo key).
if(NOT EXISTS "${KEY}")
  return()
endif()
file(GLOB_RECURSE files "${FOLDER}/*")
list(FILTER files EXCLUDE REGEX "\\.sig$")
if(files)
  execute_process(COMMAND "${SERVER}" sign --key "${KEY}" ${files} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "signing the demo release failed")
  endif()
endif()
