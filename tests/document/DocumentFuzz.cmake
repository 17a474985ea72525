# The document loader's fuzz entry function, replayed over the sample files and hostile variants
# of them (cut short, bytes and 32-bit words overwritten) in the ordinary test build.
set(BRELLIN_FUZZ_DIR ${CMAKE_SOURCE_DIR}/fuzz)
add_executable(fuzz_replay_document ${BRELLIN_FUZZ_DIR}/fuzz_document.cpp
               ${BRELLIN_FUZZ_DIR}/FuzzReplayMain.cpp)
target_include_directories(fuzz_replay_document PRIVATE ${BRELLIN_FUZZ_DIR})
target_link_libraries(fuzz_replay_document PRIVATE brellin_document brellin_options)
add_test(NAME document_fuzz_replay COMMAND fuzz_replay_document
         ${CMAKE_CURRENT_SOURCE_DIR}/data/document/fuzz-seeds)
set_tests_properties(document_fuzz_replay PROPERTIES
                     ENVIRONMENT "QT_QPA_PLATFORM=offscreen;BRELLIN_SCREEN_DPI=96"
                     TIMEOUT 120 LABELS fuzz)
