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
