# zovi_embed(<target> <lookup-function> <file>...)
# Compiles the given files into <target> as byte arrays. The generated source
# defines `std::span<const TEmbeddedFile> <lookup-function>()` (platform/embedded.h),
# each entry named after the file's base name (for example "items.txt").
# The files may be generated at build time: their producers are found through
# the usual OUTPUT dependencies.
function(zovi_embed target func)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${func}_embedded.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND zovi_embed_tool ${out} ${func} ${ARGN}
    DEPENDS zovi_embed_tool ${ARGN}
    COMMENT "Embedding ${func}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
