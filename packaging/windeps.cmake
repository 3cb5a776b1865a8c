# Install step of the Windows build (windows.cmake): copies the DLLs that the program and its
# plugins load, and the DLLs those load, beside the program.
set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND "${plw_objdump}")
file(GET_RUNTIME_DEPENDENCIES
  EXECUTABLES "${plw_executable}"
  MODULES ${plw_modules}
  DIRECTORIES "${plw_lookup}"
  RESOLVED_DEPENDENCIES_VAR resolved
  UNRESOLVED_DEPENDENCIES_VAR unresolved)
set(files)
foreach(link IN LISTS resolved)
  file(REAL_PATH "${link}" file)
  list(APPEND files "${file}")
endforeach()
list(SORT files)
if(NOT files)
  message(FATAL_ERROR "no DLLs found for ${plw_executable}")
endif()
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}" TYPE SHARED_LIBRARY FILES ${files})
# The zip (CPACK_STRIP_FILES) takes them without their symbols, as it takes the program; the MinGW
# runtime DLLs shrink the most (libstdc++-6.dll from 23 MB to 2 MB).
if(CMAKE_INSTALL_DO_STRIP)
  foreach(file IN LISTS files)
    get_filename_component(name "${file}" NAME)
    execute_process(COMMAND "${plw_strip}" --strip-unneeded "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${name}"
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "cannot strip ${name}")
    endif()
  endforeach()
endif()
list(JOIN unresolved " " unresolved)
message(STATUS "Left to the system: ${unresolved}")
