# Where a Windows build finds the DLLs its programs load: the Qt folder and the MinGW runtime
# (libstdc++-6.dll, libgcc_s_seh-1.dll, libwinpthread-1.dll), asked of the compiler itself.
set(PLW_WINDOWS_DLL_DIRS "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS}")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll} OUTPUT_VARIABLE path
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
  endif()
  get_filename_component(path "${path}" REALPATH)
  get_filename_component(dir "${path}" DIRECTORY)
  list(APPEND PLW_WINDOWS_DLL_DIRS "${dir}")
endforeach()
list(REMOVE_DUPLICATES PLW_WINDOWS_DLL_DIRS)

# Runtime dependencies are read from the PE import tables with MinGW's objdump.
set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
if(NOT CMAKE_OBJDUMP)
  find_program(CMAKE_OBJDUMP x86_64-w64-mingw32-objdump REQUIRED)
endif()
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND ${CMAKE_OBJDUMP})
