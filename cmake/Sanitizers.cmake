if(QV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
# The modules of a project are read and judged on several threads; the
# thread sanitizer proves that they share nothing unguarded.
if(QV_SANITIZE_THREAD)
  if(QV_SANITIZE)
    message(FATAL_ERROR "QV_SANITIZE and QV_SANITIZE_THREAD cannot be combined")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
