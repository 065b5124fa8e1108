# Binds and signs the demo release folders with the demo key pair, as a publisher does:
# release-server manifest --key KEY --sequence N FOLDER (nothing to do without the demo key). The
# sample installation's own release is sequence 1, the update sequence 2, so that serving the
# first after the second is a rollback that the program refuses.
if(NOT EXISTS "${KEY}")
  return()
endif()
foreach(release IN ITEMS current:1 update:2)
  string(REPLACE ":" ";" parts "${release}")
  list(GET parts 0 name)
  list(GET parts 1 sequence)
  set(folder "${FOLDER}/${name}/RavlekSystem_Release/last_release_XML")
  if(EXISTS "${folder}")
    execute_process(COMMAND "${SERVER}" manifest --key "${KEY}" --sequence ${sequence}
                            --valid-days 3650 "${folder}" RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "binding and signing the demo release ${name} failed")
    endif()
  endif()
endforeach()
