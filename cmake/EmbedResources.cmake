# tocolo_embed_resources(<target> <id> <type> <file> [<id> <type> <file> ...])
# Compiles each file into <target> as a byte array, found at run time by id and type.
set(TOCOLO_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedResourcesScript.cmake)

function(tocolo_embed_resources target)
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.txt)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
  set(lines "")
  set(files "")
  set(args ${ARGN})
  list(LENGTH args count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 3)
    math(EXPR type_index "${i} + 1")
    math(EXPR file_index "${i} + 2")
    list(GET args ${i} id)
    list(GET args ${type_index} type)
    list(GET args ${file_index} file)
    string(APPEND lines "${id} ${type} ${file}\n")
    list(APPEND files ${file})
  endforeach()
  file(GENERATE OUTPUT ${list_file} CONTENT "${lines}")
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DLIST=${list_file} -DOUTPUT=${output} -P ${TOCOLO_EMBED_SCRIPT}
    DEPENDS ${files} ${list_file} ${TOCOLO_EMBED_SCRIPT}
    COMMENT "Embedding resources into ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${output})
endfunction()
