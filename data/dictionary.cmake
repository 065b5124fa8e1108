# The dictionaries the build makes from their reviewable TSV sources with build_dictionary_db.py,
# which checks every row and fails the build on a bad one:
#   ${RAVLEK_APP_DIR}/Ravlek.db        the open dictionary, the application folder's default
#   ${RAVLEK_SAMPLE_DICTIONARY_DB}     the small handwritten sample, a fixture of the tests
set(RAVLEK_DICTIONARY_BUILDER "${CMAKE_CURRENT_SOURCE_DIR}/build_dictionary_db.py")
set(RAVLEK_RHYME_NAMES_SOURCE "${CMAKE_SOURCE_DIR}/src/dictionary/rhymes.cpp")

# A source folder with a rhyme_merger.tsv also has every rhyme checked against it.
function(ravlek_dictionary_db target source_dir output comment)
  set(sources "${source_dir}/RavlekTable.tsv" "${source_dir}/BaseWords.tsv"
              "${source_dir}/BaseWordsPlus.tsv")
  file(GLOB extra_tables CONFIGURE_DEPENDS "${source_dir}/RavlekTable.*.tsv")
  list(APPEND sources ${extra_tables})
  set(merger_option)
  if(EXISTS "${source_dir}/rhyme_merger.tsv")
    list(APPEND sources "${source_dir}/rhyme_merger.tsv")
    set(merger_option --merger "${source_dir}/rhyme_merger.tsv")
  endif()
  add_custom_command(
    OUTPUT "${output}"
    COMMAND Python3::Interpreter "${RAVLEK_DICTIONARY_BUILDER}"
            --source "${source_dir}"
            --rhymes "${RAVLEK_RHYME_NAMES_SOURCE}"
            --output "${output}"
            ${merger_option}
    DEPENDS ${sources} "${RAVLEK_DICTIONARY_BUILDER}" "${RAVLEK_RHYME_NAMES_SOURCE}"
    COMMENT "${comment}"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS "${output}")
endfunction()

ravlek_dictionary_db(open_dictionary "${CMAKE_CURRENT_SOURCE_DIR}/open_dictionary"
                     "${RAVLEK_APP_DIR}/Ravlek.db" "Building the open dictionary Ravlek.db")
ravlek_dictionary_db(sample_dictionary "${CMAKE_CURRENT_SOURCE_DIR}/sample_dictionary"
                     "${RAVLEK_SAMPLE_DICTIONARY_DB}" "Building the sample dictionary fixture")
