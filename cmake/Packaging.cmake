# The release package for Windows users, made in the Windows build:
#
#   cmake --build build/win64 --target release_zip
#
# gives build/win64/Quillmark-V2.08-win64.zip with one folder, "Quillmark",
# holding quillmark.exe, quillmark-verify.exe and README.txt (CR LF line
# ends, for Notepad). The test release_imports_* checks that both programs
# import nothing but system DLLs, so the folder runs as it is.
if(NOT WIN32 OR NOT TARGET quillmark_gui OR NOT TARGET quillmark-verify)
  return()
endif()

set(QM_RELEASE_FOLDER Quillmark)
install(TARGETS quillmark_gui quillmark-verify RUNTIME DESTINATION ${QM_RELEASE_FOLDER} COMPONENT release)
configure_file(${PROJECT_SOURCE_DIR}/packaging/README-windows.txt ${CMAKE_BINARY_DIR}/packaging/README.txt
               @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/packaging/README.txt DESTINATION ${QM_RELEASE_FOLDER} COMPONENT release)

# The zip is made from the install rules of the release component alone,
# staged with stripped programs; it needs only the two programs built.
set(QM_RELEASE_STAGE ${CMAKE_BINARY_DIR}/release-stage)
set(QM_RELEASE_ZIP ${CMAKE_BINARY_DIR}/Quillmark-${QM_VERSION_TEXT}-win64.zip)
add_custom_target(release_zip
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${QM_RELEASE_STAGE} ${QM_RELEASE_ZIP}
  COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --component release --prefix ${QM_RELEASE_STAGE} --strip
  COMMAND ${CMAKE_COMMAND} -E chdir ${QM_RELEASE_STAGE} ${CMAKE_COMMAND} -E tar cf ${QM_RELEASE_ZIP} --format=zip
          ${QM_RELEASE_FOLDER}
  COMMENT "Packing ${QM_RELEASE_ZIP}"
  VERBATIM)
add_dependencies(release_zip quillmark_gui quillmark-verify)

find_program(QM_OBJDUMP NAMES x86_64-w64-mingw32-objdump objdump)
foreach(program quillmark_gui quillmark-verify)
  add_test(NAME release_imports_${program}
           COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${QM_OBJDUMP} -DEXE=$<TARGET_FILE:${program}>
                   -P ${CMAKE_CURRENT_LIST_DIR}/CheckSystemImports.cmake)
  set_tests_properties(release_imports_${program} PROPERTIES LABELS release)
endforeach()
