# The Windows resources of a program: its version information, from the
# project's version, and the program's icon, resources/windows/listsong.ico
# (drawn by resources/windows/make-icon).
#   listsong_windows_resources(TARGET "File description")
function(listsong_windows_resources target description)
    set(LISTSONG_RC_DESCRIPTION "${description}")
    set(LISTSONG_RC_NAME "${target}")
    set(LISTSONG_RC_FILE_NAME "${target}${CMAKE_EXECUTABLE_SUFFIX}")
    set(LISTSONG_RC_ICON "${PROJECT_SOURCE_DIR}/resources/windows/listsong.ico")
    set(resource_file "${CMAKE_CURRENT_BINARY_DIR}/${target}.rc")
    configure_file("${PROJECT_SOURCE_DIR}/resources/windows/program.rc.in" "${resource_file}" @ONLY)
    # windres reads the icon, which no #include names: a new icon rebuilds the resource.
    set_source_files_properties("${resource_file}" PROPERTIES OBJECT_DEPENDS "${LISTSONG_RC_ICON}")
    target_sources(${target} PRIVATE "${resource_file}")
endfunction()
