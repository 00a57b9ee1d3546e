# Project-wide warning flags, applied per target with qx_target_warnings().
function(qx_target_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow=local
        -Wformat=2 -Wno-missing-field-initializers)
    if(QX_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()
