# The AVX2 kernels live in src/*/*_avx2.cpp and compile to nothing where
# they cannot run (any target but x86-64) or when left out on purpose.
option(TAVINO_PORTABLE_ONLY "Build only the portable code, without the AVX2 kernels" OFF)
if(TAVINO_PORTABLE_ONLY)
  target_compile_definitions(tavino_core PUBLIC TAVINO_PORTABLE_ONLY)
endif()

# The scaler's vector kernels must round every product and sum on its own, as
# its scalar loops do: no fused multiply-adds in those files.
set_source_files_properties(src/display/scaler.cpp src/display/scaler_avx2.cpp
  PROPERTIES COMPILE_OPTIONS "-ffp-contract=off")

# The equality tests once more with the portable code forced, as a machine
# without AVX2 runs it.
if(TAVINO_TESTS)
  foreach(test test_jpeg test_scaler test_alpha_stretches test_png test_present_paths)
    if(TARGET ${test})
      add_test(NAME ${test}_portable COMMAND ${test})
      set_tests_properties(${test}_portable PROPERTIES ENVIRONMENT "TAVINO_PORTABLE=1" TIMEOUT 600)
    endif()
  endforeach()
endif()
