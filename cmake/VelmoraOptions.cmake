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

# Adds the program's resources to a Windows target. The files that the .rc
# file pulls in are named here, since the resource compiler reports none.
function(velmora_resources target)
  set(res ${PROJECT_SOURCE_DIR}/res)
  set_source_files_properties(${res}/Velmora2.rc PROPERTIES OBJECT_DEPENDS
    "${res}/ResourceIds.h;${res}/Velmora2.ico;${res}/ArrowUp.bmp;${res}/ArrowDown.bmp;${res}/Velmora2.manifest;${res}/CommonControls.manifest")
  target_sources(${target} PRIVATE ${res}/Velmora2.rc)
endfunction()
