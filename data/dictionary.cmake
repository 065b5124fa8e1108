# The sample dictionary: Ravlek.db in the application folder, built from the reviewable TSV source.
set(RAVLEK_SAMPLE_DICTIONARY_SOURCES
    "${CMAKE_CURRENT_SOURCE_DIR}/sample_dictionary/RavlekTable.tsv"
    "${CMAKE_CURRENT_SOURCE_DIR}/sample_dictionary/BaseWords.tsv"
    "${CMAKE_CURRENT_SOURCE_DIR}/sample_dictionary/BaseWordsPlus.tsv")
set(RAVLEK_SAMPLE_DICTIONARY_SCRIPT "${CMAKE_CURRENT_SOURCE_DIR}/build_sample_db.py")
set(RAVLEK_RHYME_NAMES_SOURCE "${CMAKE_SOURCE_DIR}/src/dictionary/rhymes.cpp")

add_custom_command(
  OUTPUT "${RAVLEK_APP_DIR}/Ravlek.db"
  COMMAND Python3::Interpreter "${RAVLEK_SAMPLE_DICTIONARY_SCRIPT}"
          --source "${CMAKE_CURRENT_SOURCE_DIR}/sample_dictionary"
          --rhymes "${RAVLEK_RHYME_NAMES_SOURCE}"
          --output "${RAVLEK_APP_DIR}/Ravlek.db"
  DEPENDS ${RAVLEK_SAMPLE_DICTIONARY_SOURCES} "${RAVLEK_SAMPLE_DICTIONARY_SCRIPT}"
          "${RAVLEK_RHYME_NAMES_SOURCE}"
  COMMENT "Building the sample dictionary Ravlek.db"
  VERBATIM)
add_custom_target(sample_dictionary ALL DEPENDS "${RAVLEK_APP_DIR}/Ravlek.db")
