# The shelf file reader's fuzz entry function, replayed over the seed files and hostile variants
# of them in the ordinary test build.
set(BRELLIN_FUZZ_DIR ${CMAKE_SOURCE_DIR}/fuzz)
add_executable(fuzz_replay_shelf ${BRELLIN_FUZZ_DIR}/fuzz_shelf.cpp
               ${BRELLIN_FUZZ_DIR}/FuzzReplayMain.cpp)
target_include_directories(fuzz_replay_shelf PRIVATE ${BRELLIN_FUZZ_DIR})
target_link_libraries(fuzz_replay_shelf PRIVATE brellin_frame brellin_options)
add_test(NAME frame_fuzz_replay_shelf COMMAND fuzz_replay_shelf
         ${CMAKE_CURRENT_SOURCE_DIR}/data/frame/shelf-seeds)
set_tests_properties(frame_fuzz_replay_shelf PROPERTIES
                     ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120 LABELS fuzz)
