# The PDF import's fuzz entry function, replayed over its seeds and hostile variants of them in
# the ordinary test build.
add_executable(fuzz_replay_pdf_import ${CMAKE_SOURCE_DIR}/fuzz/fuzz_pdf_import.cpp
               ${CMAKE_SOURCE_DIR}/fuzz/FuzzReplayMain.cpp)
target_include_directories(fuzz_replay_pdf_import PRIVATE ${CMAKE_SOURCE_DIR}/fuzz)
target_link_libraries(fuzz_replay_pdf_import PRIVATE brellin_document brellin_options)
add_test(NAME document_pdf_import_fuzz_replay COMMAND fuzz_replay_pdf_import
         ${CMAKE_CURRENT_SOURCE_DIR}/data/document/pdf-import-seeds)
set_tests_properties(document_pdf_import_fuzz_replay PROPERTIES
                     ENVIRONMENT "QT_QPA_PLATFORM=offscreen;BRELLIN_SCREEN_DPI=96"
                     TIMEOUT 120 LABELS fuzz)
