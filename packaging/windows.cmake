# The Windows zip: plumewright.exe with everything it loads beside it, as a user unpacks and
# starts it (init.sqs is then written into that folder). The DLLs are the runtime dependencies
# of the program and its two plugins, read from their import tables; those that none of the
# build's DLL folders holds are the system's own.
set(plw_plugins Qt6::QWindowsIntegrationPlugin Qt6::QWindowsVistaStylePlugin)
install(TARGETS plumewright RUNTIME DESTINATION .)
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QWindowsIntegrationPlugin LIBRARY DESTINATION platforms)
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QWindowsVistaStylePlugin LIBRARY DESTINATION styles)

# Windows names DLLs without regard to case, and the dependency lookup asks for lowercase names:
# on this file system it finds them through lowercase links to the real files.
set(plw_lookup ${CMAKE_CURRENT_BINARY_DIR}/dll-lookup)
file(REMOVE_RECURSE ${plw_lookup})
file(MAKE_DIRECTORY ${plw_lookup})
foreach(dir IN LISTS PLW_WINDOWS_DLL_DIRS)
  file(GLOB dlls ${dir}/*.dll)
  foreach(dll IN LISTS dlls)
    get_filename_component(name ${dll} NAME)
    string(TOLOWER ${name} name)
    if(NOT EXISTS ${plw_lookup}/${name})
      file(CREATE_LINK ${dll} ${plw_lookup}/${name} SYMBOLIC)
    endif()
  endforeach()
endforeach()

set(plw_modules)
foreach(plugin IN LISTS plw_plugins)
  list(APPEND plw_modules "$<TARGET_FILE:${plugin}>")
endforeach()
install(CODE "
  set(plw_executable \"$<TARGET_FILE:plumewright>\")
  set(plw_modules \"${plw_modules}\")
  set(plw_lookup \"${plw_lookup}\")
  set(plw_objdump \"${CMAKE_OBJDUMP}\")
  set(plw_strip \"${CMAKE_STRIP}\")
  include(\"${CMAKE_CURRENT_SOURCE_DIR}/windeps.cmake\")
")

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME plumewright)
set(CPACK_PACKAGE_VENDOR Orvane)
set(CPACK_PACKAGE_FILE_NAME plumewright-${PROJECT_VERSION}-windows-x64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
