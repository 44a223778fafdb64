# qs_subsystem(<name> [QT]): a static library made of every .cpp of the current
# folder and its sub-folders (new files are picked up without editing the build),
# linked to the library of the layer below it (the previous qs_subsystem in the order of
# cmake/layers.txt) and so to every layer below; nothing links a layer above, so a call
# that reaches up fails to link. Only the run-time layer and the custom controls pass
# QT (they alone see Qt).
function(qs_subsystem name)
  cmake_parse_arguments(ARG "QT" "" "" ${ARGN})
  file(GLOB_RECURSE _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB_RECURSE _hdr CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  add_library(${name} STATIC ${_src} ${_hdr})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE Qt6::Widgets Qt6::UiTools Qt6::SerialPort Qt6::Network Qt6::Multimedia Qt6::PrintSupport)
  else()
    set_target_properties(${name} PROPERTIES AUTOMOC OFF)
  endif()
  add_dependencies(${name} qs_panel_ids)
  get_property(_below GLOBAL PROPERTY QS_SUBSYSTEMS)
  if(_below)
    list(GET _below -1 _below)
    target_link_libraries(${name} PUBLIC ${_below})
  endif()
  set_property(GLOBAL APPEND PROPERTY QS_SUBSYSTEMS ${name})
endfunction()

# qs_test_suite(<name> <library>): one GoogleTest executable from every *.cpp of the
# current folder, linked to the library it tests and the layers below it only; each test
# case becomes a CTest test, run headless in the built program folder.
function(qs_test_suite name library)
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _src)
    return()
  endif()
  add_executable(${name} ${_src})
  target_link_libraries(${name} PRIVATE ${library} qs_testsupport GTest::gtest GTest::gmock)
  # Tests build records with their leading fields named and the rest zero, and put a check under an
  # if without braces; the test framework's macros guard their own else.
  target_compile_options(${name} PRIVATE -Wno-missing-field-initializers -Wno-dangling-else)
  if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
    target_link_libraries(${name} PRIVATE qs_testmain)
  endif()
  add_dependencies(${name} qs_program)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT 180)
endfunction()
