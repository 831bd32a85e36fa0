# termel_fuzz_instrument(target): in the fuzz build a core library is instrumented like
# the fuzz targets themselves, so the fuzzer sees its branches and the sanitizers see
# its memory accesses. Elsewhere it does nothing.
function(termel_fuzz_instrument target)
  if(TERMEL_BUILD_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    target_compile_options(${target} PRIVATE
      -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    target_link_options(${target} INTERFACE -fsanitize=address,undefined)
  endif()
endfunction()
