# Compiler settings shared by every target of the project.
#
# Narrow literals are compiled to code page 932 so that "実行(&G)" in a UTF-8
# source file is the Shift-JIS byte string the program works with.
function(velmora_target target)
  if(MSVC)
    # /utf-8 would set the execution character set too, and the compiler
    # refuses it together with /execution-charset.
    target_compile_options(${target} PRIVATE /W4 /source-charset:utf-8 /execution-charset:.932)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -finput-charset=UTF-8 -fexec-charset=CP932)
    if(VELMORA_WERROR)
      target_compile_options(${target} PRIVATE -Werror)
    endif()
  endif()
  if(MINGW)
    # The Windows program is a download that waits for keys most of its life:
    # small beats fast. Placed after the configuration's -O3, so it wins.
    target_compile_options(${target} PRIVATE $<$<CONFIG:Release>:-Os>)
  endif()
  if(WIN32)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  endif()
endfunction()
