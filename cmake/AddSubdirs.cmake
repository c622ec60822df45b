# plymora_add_all_subdirs(): adds every folder below the current one that has a
# CMakeLists.txt, so each module's tests and tools plug in without editing a shared
# list. Folders found this way must not add their own subfolders.
function(plymora_add_all_subdirs)
  file(GLOB_RECURSE lists RELATIVE "${CMAKE_CURRENT_SOURCE_DIR}" CONFIGURE_DEPENDS
       "${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt")
  list(SORT lists)
  foreach(l IN LISTS lists)
    get_filename_component(dir "${l}" DIRECTORY)
    add_subdirectory("${dir}")
  endforeach()
endfunction()
