# The test programs of a Windows build run under Wine, in one prefix inside the build tree. The
# fixture "wine" sets the prefix up and starts its server before the first test, and stops the
# server after the last. winerun.sh reads the paths from wine-env.sh, written here.
find_program(PLW_WINE NAMES wine64 wine PATHS /usr/lib/wine REQUIRED)
find_program(PLW_WINESERVER NAMES wineserver PATHS /usr/lib/wine REQUIRED)

function(plw_windows_path out)
  set(paths)
  foreach(path IN LISTS ARGN)
    string(REPLACE "/" "\\" path "${path}")
    list(APPEND paths "Z:${path}")
  endforeach()
  list(JOIN paths ";" joined)
  set(${out} "${joined}" PARENT_SCOPE)
endfunction()

plw_windows_path(PLW_WINEPATH ${PLW_WINDOWS_DLL_DIRS})
set(PLW_WINEPREFIX ${CMAKE_BINARY_DIR}/wine)
set(PLW_WINE_ENV ${CMAKE_CURRENT_BINARY_DIR}/wine-env.sh)
set(PLW_WINE_RUNNER ${CMAKE_CURRENT_SOURCE_DIR}/winerun.sh)
configure_file(wine-env.sh.in ${PLW_WINE_ENV} @ONLY)

add_test(NAME wine_prefix COMMAND bash ${PLW_WINE_RUNNER} ${PLW_WINE_ENV} setup)
add_test(NAME wine_stop COMMAND bash ${PLW_WINE_RUNNER} ${PLW_WINE_ENV} stop)
set_tests_properties(wine_prefix PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
set_tests_properties(wine_stop PROPERTIES FIXTURES_CLEANUP wine)

# A Qt Test program under Wine on PLATFORM (none for a program without an application object). It
# writes its result into a file, since Wine does not pass a redirected standard output through,
# and the runner prints that file. The platform goes on the command line: Wine hands no QT_
# variable of the Unix side to Windows programs.
function(plw_add_wine_test name platform)
  set(args)
  if(platform)
    set(args -platform ${platform})
  endif()
  add_test(NAME ${name} COMMAND bash ${PLW_WINE_RUNNER} ${PLW_WINE_ENV} qtest
                                ${CMAKE_CURRENT_BINARY_DIR}/results/${name}.txt $<TARGET_FILE:${name}> ${args})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine)
endfunction()
