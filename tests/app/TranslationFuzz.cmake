# The translation file reader's fuzz entry function, replayed over the seed files and hostile
# variants of them in the ordinary test build.
set(BRELLIN_FUZZ_DIR ${CMAKE_SOURCE_DIR}/fuzz)
add_executable(fuzz_replay_translation ${BRELLIN_FUZZ_DIR}/fuzz_translation.cpp
               ${BRELLIN_FUZZ_DIR}/FuzzReplayMain.cpp)
target_include_directories(fuzz_replay_translation PRIVATE ${BRELLIN_FUZZ_DIR})
target_link_libraries(fuzz_replay_translation PRIVATE brellin_app brellin_options)
add_test(NAME app_fuzz_replay_translation COMMAND fuzz_replay_translation
         ${CMAKE_CURRENT_SOURCE_DIR}/data/app/translation-seeds)
set_tests_properties(app_fuzz_replay_translation PROPERTIES
                     ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120 LABELS fuzz)
