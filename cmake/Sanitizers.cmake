# ORVO_SANITIZE=address builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# ORVO_SANITIZE=thread with ThreadSanitizer. Both stop at the first report.
if(ORVO_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(ORVO_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT ORVO_SANITIZE STREQUAL "")
  message(FATAL_ERROR "ORVO_SANITIZE must be empty, 'address' or 'thread', not '${ORVO_SANITIZE}'")
endif()

# ORVO_FUZZ instruments every target for libFuzzer (with ASan and UBSan) and builds the fuzz
# targets of tests/fuzz. Undefined behaviour stops the run like any other finding.
if(ORVO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ORVO_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
