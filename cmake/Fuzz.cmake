# With MIRKA_FUZZ on, everything this build compiles carries libFuzzer's
# coverage counters and the AddressSanitizer / UndefinedBehaviorSanitizer
# checks, so that the libraries a fuzz target links are explored and checked,
# not only the harness. The fuzz targets add libFuzzer's main (fuzz/).
if(MIRKA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "MIRKA_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++)")
  endif()
  set(MIRKA_SANITIZERS address,undefined)
  add_compile_options(-fsanitize=fuzzer-no-link,${MIRKA_SANITIZERS}
                      -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${MIRKA_SANITIZERS})
endif()

# With MIRKA_SANITIZE on (any compiler), the same checks without libFuzzer:
# the tests replay the fuzz corpora in such a build, so that a bad read a
# plain build survives fails the run.
if(MIRKA_SANITIZE AND NOT MIRKA_FUZZ)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
