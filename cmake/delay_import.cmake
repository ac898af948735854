# setup_delay_import(TARGET_NAME IMPORT_LIB_NAME DLL_NAME): an imported library
# TARGET_NAME that binds DLL_NAME late (at first call) instead of at load.
find_program(SETUP_NM NAMES ${SETUP_MINGW_PREFIX}-nm REQUIRED)
find_program(SETUP_DLLTOOL NAMES ${SETUP_MINGW_PREFIX}-dlltool REQUIRED)

function(setup_delay_import target import_name dll)
  find_file(import_lib_${import_name} lib${import_name}.a
            PATHS /usr/${SETUP_MINGW_PREFIX}/lib NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(out ${CMAKE_BINARY_DIR}/delay/lib${import_name}_delay.a)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delay
    COMMAND bash ${CMAKE_SOURCE_DIR}/tools/make-delay-lib.sh ${SETUP_NM} ${SETUP_DLLTOOL}
            ${import_lib_${import_name}} ${dll} ${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make-delay-lib.sh
    COMMENT "Delay-load import library for ${dll}")
  add_custom_target(${target}_build DEPENDS ${out})
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${out})
  add_dependencies(${target} ${target}_build)
endfunction()
