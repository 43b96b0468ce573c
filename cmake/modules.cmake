# Helpers shared by the module, program and test definitions.

# Sources of a folder, picked up as files are added.
function(plu_glob out)
  set(found)
  foreach(dir IN LISTS ARGN)
    file(GLOB files CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
    list(APPEND found ${files})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# Links a program or module with the framework, its resources and the system libraries.
function(plu_link_framework target)
  target_link_libraries(${target} PRIVATE framework ${PLU_ZLIB} ${PLU_SYSTEM_LIBS})
  target_sources(${target} PRIVATE $<TARGET_OBJECTS:framework_res>)
endfunction()
