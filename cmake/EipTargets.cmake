# eip_library(<name> <folder> [DEPS libs...])
# One static library per layer folder; every .cpp directly in the folder belongs to it,
# so adding a class never means editing a CMake file. The library and what it depends on
# are recorded for the layering test (eip_layering_test).
function(eip_library name folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.h)
  if(sources)
    add_library(${name} STATIC ${sources} ${headers})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
  set_property(GLOBAL APPEND PROPERTY EIP_LIBRARIES ${name})
  set_property(GLOBAL PROPERTY EIP_FOLDER_${name} ${folder})
  set_property(GLOBAL PROPERTY EIP_DEPS_${name} ${ARG_DEPS})
endfunction()

# eip_test(<name> <folder>... [DEPS libs...])
# One test program holding every .cpp of the given test folders.
function(eip_test name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  set(sources)
  foreach(folder ${ARG_UNPARSED_ARGUMENTS})
    file(GLOB folder_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
    list(APPEND sources ${folder_sources})
  endforeach()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources} ${CMAKE_SOURCE_DIR}/tests/support/LeakSuppressions.cpp)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# The folders a library may include from: its own and those of every library it depends
# on, directly or through another. Foreign headers (Qt, SQLite, libpq) only where the
# library links that package itself.
function(eip_allowed_folders name out_folders)
  get_property(folder GLOBAL PROPERTY EIP_FOLDER_${name})
  get_property(deps GLOBAL PROPERTY EIP_DEPS_${name})
  set(folders ${folder})
  foreach(dep ${deps})
    get_property(known GLOBAL PROPERTY EIP_FOLDER_${dep} SET)
    if(known)
      eip_allowed_folders(${dep} dep_folders)
      list(APPEND folders ${dep_folders})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES folders)
  set(${out_folders} ${folders} PARENT_SCOPE)
endfunction()

# eip_layering_test(): after every library is declared, writes the rules and adds the test
# "layering", which fails when a library includes a header of a library it does not
# depend on (a lower layer reaching up) or a foreign header it does not link.
function(eip_layering_test)
  get_property(libraries GLOBAL PROPERTY EIP_LIBRARIES)
  set(rules "")
  foreach(name ${libraries})
    get_property(folder GLOBAL PROPERTY EIP_FOLDER_${name})
    get_property(deps GLOBAL PROPERTY EIP_DEPS_${name})
    eip_allowed_folders(${name} allowed)
    set(foreign "")
    foreach(dep ${deps})
      if(dep MATCHES "^Qt6::")
        list(APPEND foreign qt)
      elseif(dep MATCHES "^SQLite::")
        list(APPEND foreign sqlite)
      elseif(dep MATCHES "^PostgreSQL::")
        list(APPEND foreign libpq)
      endif()
    endforeach()
    list(JOIN allowed "," allowed_text)
    list(JOIN foreign "," foreign_text)
    string(APPEND rules "${name}|${folder}|${allowed_text}|${foreign_text}\n")
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/layering-rules.txt "${rules}")
  add_test(NAME layering
           COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_SOURCE_DIR}
                   -DRULES=${CMAKE_BINARY_DIR}/layering-rules.txt
                   -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayering.cmake)
endfunction()
