# eip_embed_texts(<target> <module> <prefix> <header> <registration> <file>...)
# Builds text files into <target> as program resources: for each file a generated .cpp
# (<prefix>_<name>.cpp) holds its text and a static <registration> object, declared in
# <header>, that registers it under <module> ("mirto$mirto001") when the program starts.
# Editing a text file re-runs the generation. <target> must be an executable (or an object
# library): a static library's object files that nothing refers to are left out by the
# linker, and their registrations with them.
function(eip_embed_texts target module prefix header registration)
  foreach(file ${ARGN})
    get_filename_component(path ${file} ABSOLUTE)
    get_filename_component(stem ${file} NAME_WE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
    file(READ ${path} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${prefix}_${stem}.cpp)
    file(WRITE ${out}.new
      "// Generated from ${file}; edit that file instead.\n"
      "#include \"${header}\"\n"
      "namespace {\n"
      "const char text[] = {${bytes} 0};\n"
      "const ${registration} registration(\"${module}\", {text, sizeof text - 1});\n"
      "} // namespace\n")
    file(COPY_FILE ${out}.new ${out} ONLY_IF_DIFFERENT)
    target_sources(${target} PRIVATE ${out})
  endforeach()
endfunction()

# eip_embed_windows(<target> <module> <file>...): window-definition texts, registered with
# host::ResourceRegistration.
function(eip_embed_windows target module)
  eip_embed_texts(${target} ${module} windows runtime/ui/WindowResources.h
                  host::ResourceRegistration ${ARGN})
endfunction()

# eip_embed_reports(<target> <module> <file>...): report-definition texts
# (docs/report-definitions.md), registered with host::ReportRegistration.
function(eip_embed_reports target module)
  eip_embed_texts(${target} ${module} reports runtime/report/ReportResources.h
                  host::ReportRegistration ${ARGN})
endfunction()
