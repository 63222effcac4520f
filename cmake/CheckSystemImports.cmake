# cmake -DOBJDUMP=<objdump> -DEXE=<program.exe> -P CheckSystemImports.cmake
#
# Fails unless every DLL the program imports ships with Windows: a release
# folder holds nothing but the programs, so a MinGW runtime DLL
# (libwinpthread-1.dll, libstdc++-6.dll, libgcc_s_seh-1.dll) or any other
# would stop the program before it starts.
set(SYSTEM_DLLS
  advapi32 bcrypt cfgmgr32 comctl32 comdlg32 crypt32 dwmapi gdi32 imm32 kernel32 msftedit msimg32 msvcrt
  ntdll ole32 oleaut32 propsys riched20 secur32 setupapi shell32 shlwapi ucrtbase user32 usp10 uxtheme
  version winmm ws2_32)

execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${EXE} failed (${status})")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${dump}")
if(NOT lines)
  message(FATAL_ERROR "${EXE}: no imported DLLs found")
endif()

set(foreign "")
foreach(line ${lines})
  string(REGEX REPLACE "^DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" name)
  string(REGEX REPLACE "\\.dll$" "" name "${name}")
  message(STATUS "${EXE} imports ${dll}")
  # The universal C runtime's API sets are part of Windows 10 and later.
  if(name MATCHES "^api-ms-win-")
    continue()
  endif()
  list(FIND SYSTEM_DLLS "${name}" found)
  if(found EQUAL -1)
    list(APPEND foreign "${dll}")
  endif()
endforeach()
if(foreign)
  message(FATAL_ERROR "${EXE} imports DLLs that are not part of Windows: ${foreign}")
endif()
