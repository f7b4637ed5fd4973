# stashly_lay_beside(<target> FILES <file>... [INTO <subfolder>])
# Copies files (generator expressions allowed, such as $<TARGET_FILE:Pictora>) into the folder
# of <target>, or a subfolder of it, on every build before <target> is built: a library that
# changed is laid out again even when <target> itself is not linked again. Targets named in the
# files are built first.
function(stashly_lay_beside target)
  cmake_parse_arguments(L "" "INTO" "FILES" ${ARGN})
  set(folder $<TARGET_FILE_DIR:${target}>)
  if(L_INTO)
    set(folder ${folder}/${L_INTO})
  endif()
  set(layout ${target}_layout_${L_INTO})
  string(MAKE_C_IDENTIFIER ${layout} layout)
  add_custom_target(${layout}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${L_FILES} ${folder}
    VERBATIM)
  foreach(file IN LISTS L_FILES)
    if(file MATCHES "^\\$<TARGET_FILE:([^>]+)>$")
      add_dependencies(${layout} ${CMAKE_MATCH_1})
    endif()
  endforeach()
  add_dependencies(${target} ${layout})
endfunction()
