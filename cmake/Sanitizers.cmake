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
