# The demo release folders that tools/release-server serves (scripts/run starts it):
#   ${CMAKE_BINARY_DIR}/release-demo/current  the sample installation's own versions: no update
#   ${CMAKE_BINARY_DIR}/release-demo/update   an update with real upgrade archives
if(EXISTS "${CMAKE_CURRENT_LIST_DIR}/versions.cmake")
  include("${CMAKE_CURRENT_LIST_DIR}/versions.cmake")
endif()
set(release_pages
  "${CMAKE_CURRENT_LIST_DIR}/app/last_release_XML/RavlekBasic.html"
  "${CMAKE_CURRENT_LIST_DIR}/app/last_release_XML/MediaLink.html"
  "${CMAKE_CURRENT_LIST_DIR}/app/last_release_XML/ToolAndResource.html"
  "${CMAKE_CURRENT_LIST_DIR}/app/last_release_XML/About.html")
set(release_demo "${CMAKE_BINARY_DIR}/release-demo")
set(release_stamp "${release_demo}/.made")
set(release_script "${CMAKE_CURRENT_LIST_DIR}/make_release_demo.py")

set(release_ready TRUE)
foreach(page IN LISTS release_pages)
  if(NOT EXISTS "${page}")
    set(release_ready FALSE)
  endif()
endforeach()
if(NOT DEFINED RAVLEK_SYSTEM_VERSION)
  set(release_ready FALSE)
endif()

if(release_ready)
  add_custom_command(OUTPUT "${release_stamp}"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "${release_demo}/current" "${release_demo}/update"
    COMMAND "${Python3_EXECUTABLE}" "${release_script}"
            --out "${release_demo}"
            --root "${RAVLEK_RELEASE_ROOT}"
            --release-name "${RAVLEK_RELEASE_NAME}"
            --system-version "${RAVLEK_SYSTEM_VERSION}"
            --database-version "${RAVLEK_DATABASE_VERSION}"
            --html-id "${RAVLEK_HTML_RELEASE_ID}"
            --images-id "${RAVLEK_HTML_IMAGES_RELEASE_ID}"
            --pages ${release_pages}
    COMMAND "${CMAKE_COMMAND}" -DSERVER=$<TARGET_FILE:release-server>
            "-DKEY=${RAVLEK_DEMO_KEY_DIR}/private.pem" "-DFOLDER=${release_demo}"
            -P "${CMAKE_CURRENT_LIST_DIR}/sign_release_demo.cmake"
    COMMAND "${CMAKE_COMMAND}" -E touch "${release_stamp}"
    DEPENDS release-server "${CMAKE_CURRENT_LIST_DIR}/sign_release_demo.cmake" "${release_script}" ${release_pages} "${CMAKE_CURRENT_LIST_DIR}/versions.cmake"
    COMMENT "Making the demo release folders" VERBATIM)
  add_custom_target(release_demo ALL DEPENDS "${release_stamp}")
else()
  message(STATUS "Demo release folders: the application folder's pages and versions are missing")
endif()
