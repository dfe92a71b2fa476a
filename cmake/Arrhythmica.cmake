# One static library per folder, made of every .cpp/.h in it except the
# program entry points (main.cpp and *_batch.cpp).
function(arrhythmica_folder_library name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS
       "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  list(FILTER sources EXCLUDE REGEX "/(main|[A-Za-z0-9_]*_batch)\\.cpp$")
  if(NOT sources)
    # An empty folder still yields a target so dependants link.
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_LIBS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# A program of the folder, built only when its source exists.
function(arrhythmica_program name source)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${source}")
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endfunction()
