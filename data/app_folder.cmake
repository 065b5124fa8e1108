# The application folder's own files in ${RAVLEK_APP_DIR}: settings, installed manifests, release
# notes, the four resource pages, the phonetic font TSU.ttf (made from a free Debian font), the
# metre's tables and the phrase files.
include("${CMAKE_CURRENT_LIST_DIR}/versions.cmake")

set(app_source "${CMAKE_CURRENT_LIST_DIR}/app")
set(app_staging "${CMAKE_CURRENT_BINARY_DIR}/app_folder")

# Files filled in with the versions.
foreach(templated installedXML/CurrentVersion.xml installedXML/information.xml
                  installedXML/release_sequence.txt ReleaseNote.txt)
  configure_file("${app_source}/${templated}.in" "${app_staging}/${templated}" @ONLY)
endforeach()

set(app_static_files
  FDConnectionDefs.ini
  last_release_XML/RavlekBasic.html
  last_release_XML/MediaLink.html
  last_release_XML/ToolAndResource.html
  last_release_XML/About.html)

set(app_outputs)
foreach(file IN LISTS app_static_files)
  add_custom_command(OUTPUT "${RAVLEK_APP_DIR}/${file}"
    COMMAND ${CMAKE_COMMAND} -E copy "${app_source}/${file}" "${RAVLEK_APP_DIR}/${file}"
    DEPENDS "${app_source}/${file}" VERBATIM)
  list(APPEND app_outputs "${RAVLEK_APP_DIR}/${file}")
endforeach()
foreach(file installedXML/CurrentVersion.xml installedXML/information.xml
             installedXML/release_sequence.txt ReleaseNote.txt)
  add_custom_command(OUTPUT "${RAVLEK_APP_DIR}/${file}"
    COMMAND ${CMAKE_COMMAND} -E copy "${app_staging}/${file}" "${RAVLEK_APP_DIR}/${file}"
    DEPENDS "${app_staging}/${file}" VERBATIM)
  list(APPEND app_outputs "${RAVLEK_APP_DIR}/${file}")
endforeach()

# TSU.ttf: the Bopomofo of Noto Sans CJK, renamed. fontTools may live only in Debian's Python.
set(tsu_source_font "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc")
set(tsu_licence "/usr/share/doc/fonts-noto-cjk/copyright")
set(font_python "${Python3_EXECUTABLE}")
execute_process(COMMAND "${font_python}" -c "import fontTools" RESULT_VARIABLE no_fonttools
  OUTPUT_QUIET ERROR_QUIET)
if(no_fonttools AND EXISTS /usr/bin/python3)
  set(font_python /usr/bin/python3)
endif()
add_custom_command(OUTPUT "${RAVLEK_APP_DIR}/TSU.ttf"
  COMMAND "${font_python}" "${CMAKE_CURRENT_LIST_DIR}/make_tsu_font.py" "${tsu_source_font}"
          "${RAVLEK_APP_DIR}/TSU.ttf"
  DEPENDS "${CMAKE_CURRENT_LIST_DIR}/make_tsu_font.py" "${tsu_source_font}"
  COMMENT "Making TSU.ttf from Noto Sans CJK" VERBATIM)
add_custom_command(OUTPUT "${RAVLEK_APP_DIR}/TSU-LICENSE.txt"
  COMMAND ${CMAKE_COMMAND} -E copy "${tsu_licence}" "${RAVLEK_APP_DIR}/TSU-LICENSE.txt"
  DEPENDS "${tsu_licence}" VERBATIM)
list(APPEND app_outputs "${RAVLEK_APP_DIR}/TSU.ttf" "${RAVLEK_APP_DIR}/TSU-LICENSE.txt")

# The metre checker's Pingshui tables (data/pingshui, made by its script), each with its licence.
set(pingshui_source "${CMAKE_CURRENT_LIST_DIR}/pingshui")
foreach(pair "pingshui_groups.tsv:pingshui_groups.tsv" "pingshui_variants.tsv:pingshui_variants.tsv"
             "LICENSE:pingshui-LICENSE.txt" "LICENSE.variants:pingshui_variants-LICENSE.txt")
  string(REPLACE ":" ";" pair "${pair}")
  list(GET pair 0 from)
  list(GET pair 1 to)
  add_custom_command(OUTPUT "${RAVLEK_APP_DIR}/${to}"
    COMMAND ${CMAKE_COMMAND} -E copy "${pingshui_source}/${from}" "${RAVLEK_APP_DIR}/${to}"
    DEPENDS "${pingshui_source}/${from}" VERBATIM)
  list(APPEND app_outputs "${RAVLEK_APP_DIR}/${to}")
endforeach()

# The dictionary's licences, by the names the release note gives them.
foreach(pair "LICENSE:LICENSE.dictionary" "LICENSE.koktai:LICENSE.dictionary-koktai"
             "LICENSE.terra-pinyin:LICENSE.dictionary-terra-pinyin")
  string(REPLACE ":" ";" pair "${pair}")
  list(GET pair 0 from)
  list(GET pair 1 to)
  add_custom_command(OUTPUT "${RAVLEK_APP_DIR}/${to}"
    COMMAND ${CMAKE_COMMAND} -E copy "${CMAKE_CURRENT_LIST_DIR}/open_dictionary/${from}"
            "${RAVLEK_APP_DIR}/${to}"
    DEPENDS "${CMAKE_CURRENT_LIST_DIR}/open_dictionary/${from}" VERBATIM)
  list(APPEND app_outputs "${RAVLEK_APP_DIR}/${to}")
endforeach()

# The phrases that choose a reading by the words around it, with terra-pinyin's licence beside.
foreach(file classical_readings.tsv phrases.terra.tsv LICENSE.terra-pinyin)
  add_custom_command(OUTPUT "${RAVLEK_APP_DIR}/${file}"
    COMMAND ${CMAKE_COMMAND} -E copy "${CMAKE_CURRENT_LIST_DIR}/open_dictionary/${file}"
            "${RAVLEK_APP_DIR}/${file}"
    DEPENDS "${CMAKE_CURRENT_LIST_DIR}/open_dictionary/${file}" VERBATIM)
  list(APPEND app_outputs "${RAVLEK_APP_DIR}/${file}")
endforeach()

add_custom_target(app_folder ALL DEPENDS ${app_outputs})
