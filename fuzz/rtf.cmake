mirka_add_fuzz(fuzz_rtf SOURCE ${CMAKE_CURRENT_LIST_DIR}/rtf_fuzz.cpp
  LIBS mirka_richtext CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus/rtf)
