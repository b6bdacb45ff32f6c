# The RTF reader and writer. The full targets build documents; the lexer
# target runs the byte and control-word layer alone and is the fast one.
mirka_add_fuzz(fuzz_rtf SOURCES ${FUZZ_DIR}/rtf_fuzz.cpp
  LIBS mirka_richtext CORPUS ${FUZZ_DIR}/corpus/rtf
  DICT ${FUZZ_DIR}/rtf.dict MAX_LEN 2048)
mirka_add_fuzz(fuzz_rtf_roundtrip SOURCES ${FUZZ_DIR}/rtf_roundtrip_fuzz.cpp
  LIBS mirka_richtext CORPUS ${FUZZ_DIR}/corpus/rtf_roundtrip
  DICT ${FUZZ_DIR}/rtf.dict MAX_LEN 2048)
mirka_add_fuzz(fuzz_rtf_lexer SOURCES ${FUZZ_DIR}/rtf_lexer_fuzz.cpp
  LIBS mirka_richtext CORPUS ${FUZZ_DIR}/corpus/rtf_lexer
  DICT ${FUZZ_DIR}/rtf.dict MAX_LEN 4096)
# Documents of real shapes seed the RTF targets beside their corpora, and
# are replayed with them.
if(MIRKA_BUILD_TESTS)
  foreach(t fuzz_rtf fuzz_rtf_roundtrip)
    add_test(NAME ${t}_seeds_replay COMMAND ${t}_replay ${FUZZ_DIR}/seeds/rtf)
    set_tests_properties(${t}_seeds_replay PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
  endforeach()
endif()
