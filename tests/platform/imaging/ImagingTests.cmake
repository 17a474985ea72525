# Tests of the imaging layer.
brellin_test(imaging platform/imaging brellin_imaging)

# The decoders' fuzz entry functions, replayed over the seed files and hostile variants of them
# (cut short, bytes and 32-bit words overwritten): the ordinary gcc build cannot link libFuzzer.
set(BRELLIN_FUZZ_DIR ${CMAKE_SOURCE_DIR}/fuzz)
set(BRELLIN_FUZZ_SEEDS ${CMAKE_CURRENT_SOURCE_DIR}/data/imaging/fuzz-seeds)
foreach(name png tiff pcx bmp dib jpeg emf any)
  add_executable(fuzz_replay_${name} ${BRELLIN_FUZZ_DIR}/fuzz_${name}.cpp
                 ${BRELLIN_FUZZ_DIR}/FuzzReplayMain.cpp)
  target_include_directories(fuzz_replay_${name} PRIVATE ${BRELLIN_FUZZ_DIR})
  target_link_libraries(fuzz_replay_${name} PRIVATE brellin_imaging brellin_options)
  if(name STREQUAL "any")
    set(seeds ${BRELLIN_FUZZ_SEEDS}/png ${BRELLIN_FUZZ_SEEDS}/tiff ${BRELLIN_FUZZ_SEEDS}/bmp
              ${BRELLIN_FUZZ_SEEDS}/pcx ${BRELLIN_FUZZ_SEEDS}/jpeg ${BRELLIN_FUZZ_SEEDS}/emf)
  else()
    set(seeds ${BRELLIN_FUZZ_SEEDS}/${name})
  endif()
  add_test(NAME imaging_fuzz_replay_${name} COMMAND fuzz_replay_${name} ${seeds})
  set_tests_properties(imaging_fuzz_replay_${name} PROPERTIES
                       ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120 LABELS fuzz)
endforeach()
