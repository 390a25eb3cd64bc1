# One fuzz target per parser of outside input (src/*_fuzz.cpp), and the
# generator of their seed corpora (oltrex-fuzz-seeds), which the fuzz script
# runs before the targets.
find_package(OpenSSL REQUIRED)

set(fuzz_src ${CMAKE_CURRENT_LIST_DIR}/src)

oltrex_add_fuzzer(key_info SOURCES ${fuzz_src}/key_info_fuzz.cpp
  LIBS oltrex_keyfetch_core oltrex_refresh_core oltrex_fwflasher_core)
oltrex_add_fuzzer(directory_entry SOURCES ${fuzz_src}/directory_entry_fuzz.cpp LIBS oltrex_keyfetch_core)
oltrex_add_fuzzer(classification SOURCES ${fuzz_src}/classification_fuzz.cpp LIBS oltrex_keyfetch_core)
oltrex_add_fuzzer(descrambling SOURCES ${fuzz_src}/descrambling_fuzz.cpp LIBS oltrex_keyfetch_core oltrex_simkey)
oltrex_add_fuzzer(secure_reencoding SOURCES ${fuzz_src}/secure_reencoding_fuzz.cpp
  LIBS oltrex_keyfetch_core oltrex_simkey)
oltrex_add_fuzzer(card_converter SOURCES ${fuzz_src}/card_converter_fuzz.cpp LIBS oltrex_conversion)
oltrex_add_fuzzer(container_maker SOURCES ${fuzz_src}/container_maker_fuzz.cpp
  LIBS oltrex_conversion oltrex_dlcreader oltrex_keyfetch_core)
# The maker encrypts through the real cipher library beside the program.
add_dependencies(fuzz_container_maker hime)
oltrex_add_fuzzer(naming SOURCES ${fuzz_src}/naming_fuzz.cpp LIBS oltrex_conversion)
oltrex_add_fuzzer(container_reader SOURCES ${fuzz_src}/container_reader_fuzz.cpp
  LIBS oltrex_dlcreader OpenSSL::Crypto)
oltrex_add_fuzzer(srecord SOURCES ${fuzz_src}/srecord_fuzz.cpp LIBS oltrex_refresh_core)
oltrex_add_fuzzer(version_file SOURCES ${fuzz_src}/version_file_fuzz.cpp LIBS oltrex_refresh_core)
oltrex_add_fuzzer(answer_decoder SOURCES ${fuzz_src}/answer_decoder_fuzz.cpp
  LIBS oltrex_transfer oltrex_bootsim_core)
oltrex_add_fuzzer(com_task SOURCES ${fuzz_src}/com_task_fuzz.cpp LIBS oltrex_transfer oltrex_bootsim_core)
oltrex_add_fuzzer(pattern_match SOURCES ${fuzz_src}/pattern_match_fuzz.cpp LIBS oltrex_drives)

# Seeds from the test-data builder (and the EU samples when they are there).
add_executable(oltrex-fuzz-seeds ${CMAKE_CURRENT_LIST_DIR}/seeds/MakeSeeds.cpp)
target_link_libraries(oltrex-fuzz-seeds PRIVATE oltrex_testdata oltrex_simkey oltrex_conversion
  oltrex_transfer oltrex_platform)
target_compile_definitions(oltrex-fuzz-seeds PRIVATE
  OLTREX_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
add_dependencies(oltrex-fuzz-seeds hime)
oltrex_warnings(oltrex-fuzz-seeds)
