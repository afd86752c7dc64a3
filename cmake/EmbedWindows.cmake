# eip_embed_windows(<target> <module> <file>...)
# Builds the window-definition text files into <target> as program resources: for each
# file a generated .cpp holds its text and a static host::ResourceRegistration that
# registers it under <module> ("mirto$mirto001") when the program starts. Editing a text
# file re-runs the generation. <target> must be an executable (or an object library):
# a static library's object files that nothing refers to are left out by the linker, and
# their registrations with them.
function(eip_embed_windows target module)
  foreach(file ${ARGN})
    get_filename_component(path ${file} ABSOLUTE)
    get_filename_component(stem ${file} NAME_WE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
    file(READ ${path} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    set(out ${CMAKE_CURRENT_BINARY_DIR}/windows_${stem}.cpp)
    file(WRITE ${out}.new
      "// Generated from ${file}; edit that file instead.\n"
      "#include \"runtime/ui/WindowResources.h\"\n"
      "namespace {\n"
      "const char text[] = {${bytes} 0};\n"
      "const host::ResourceRegistration registration(\"${module}\", {text, sizeof text - 1});\n"
      "} // namespace\n")
    file(COPY_FILE ${out}.new ${out} ONLY_IF_DIFFERENT)
    target_sources(${target} PRIVATE ${out})
  endforeach()
endfunction()

# eip_embed_reports(<target> <module> <file>...)
# The same for report-definition texts (docs/report-definitions.md): each registers its
# reports with host::ReportResources when the program starts.
function(eip_embed_reports target module)
  foreach(file ${ARGN})
    get_filename_component(path ${file} ABSOLUTE)
    get_filename_component(stem ${file} NAME_WE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
    file(READ ${path} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    set(out ${CMAKE_CURRENT_BINARY_DIR}/reports_${stem}.cpp)
    file(WRITE ${out}.new
      "// Generated from ${file}; edit that file instead.\n"
      "#include \"runtime/report/ReportResources.h\"\n"
      "namespace {\n"
      "const char text[] = {${bytes} 0};\n"
      "const host::ReportRegistration registration(\"${module}\", {text, sizeof text - 1});\n"
      "} // namespace\n")
    file(COPY_FILE ${out}.new ${out} ONLY_IF_DIFFERENT)
    target_sources(${target} PRIVATE ${out})
  endforeach()
endfunction()
