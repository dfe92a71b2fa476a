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
  arrhythmica_include_root(${name} "${sources}" root)
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# The headers of the current folder under their usual names
# ("common/errors.h"), linked into an include root of their own. A target
# sees its own root and those of the libraries it links, nothing else, so a
# lower layer cannot include a higher one (nor Myogrid an Ecgtrace header).
# Links, not copies: an edited header is seen at once.
function(arrhythmica_include_root name sources out_root)
  set(root "${PROJECT_BINARY_DIR}/include/${name}")
  file(RELATIVE_PATH folder "${PROJECT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  file(REMOVE_RECURSE "${root}")  # drops links to removed headers
  file(MAKE_DIRECTORY "${root}/${folder}")
  foreach(source ${sources})
    if(source MATCHES "\\.h$")
      get_filename_component(file_name "${source}" NAME)
      file(CREATE_LINK "${source}" "${root}/${folder}/${file_name}" SYMBOLIC)
    endif()
  endforeach()
  set(${out_root} "${root}" PARENT_SCOPE)
endfunction()

# A system library found at configure time, as the imported target
# Arrhythmica::<name>; a missing one stops the configuration naming the
# Debian package that provides it.
function(arrhythmica_system_library name)
  cmake_parse_arguments(ARG "" "HEADER;LIBRARY;PACKAGE" "" ${ARGN})
  if(TARGET Arrhythmica::${name})
    return()
  endif()
  find_path(${name}_INCLUDE_DIR ${ARG_HEADER})
  find_library(${name}_LIBRARY ${ARG_LIBRARY})
  if(NOT ${name}_INCLUDE_DIR OR NOT ${name}_LIBRARY)
    message(FATAL_ERROR "${name} (${ARG_HEADER}, lib${ARG_LIBRARY}) was not found: "
                        "install the Debian package ${ARG_PACKAGE}.")
  endif()
  add_library(Arrhythmica::${name} UNKNOWN IMPORTED GLOBAL)
  set_target_properties(Arrhythmica::${name} PROPERTIES
      IMPORTED_LOCATION "${${name}_LIBRARY}"
      INTERFACE_INCLUDE_DIRECTORIES "${${name}_INCLUDE_DIR}")
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
