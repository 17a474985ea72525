# The object data block reader's fuzz entry function, replayed over one block of every kind and a
# group in a group, and hostile variants of them, in the ordinary test build.
set(BRELLIN_FUZZ_DIR ${CMAKE_SOURCE_DIR}/fuzz)
add_executable(fuzz_replay_block ${BRELLIN_FUZZ_DIR}/fuzz_block.cpp
               ${BRELLIN_FUZZ_DIR}/FuzzReplayMain.cpp)
target_include_directories(fuzz_replay_block PRIVATE ${BRELLIN_FUZZ_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(fuzz_replay_block PRIVATE brellin_objects brellin_view brellin_options)
add_test(NAME objects_fuzz_replay_block COMMAND fuzz_replay_block
         ${CMAKE_CURRENT_SOURCE_DIR}/data/objects/block-seeds)
set_tests_properties(objects_fuzz_replay_block PROPERTIES
                     ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120 LABELS fuzz)
