# The hardening that Debian builds its packages with (what `dpkg-buildflags` hands out): stack
# protector, checked string and memory functions, format-string checks, and a read-only
# relocation table bound at load time (full RELRO). Position-independent executables are the
# compiler's default on Debian.
#
# The sanitizer and fuzzing builds keep their own instrumentation and optimisation level:
# _FORTIFY_SOURCE's checked functions would hide accesses that AddressSanitizer should see.

option(CORVEL_HARDENING "Build with the distribution's hardening flags" ON)

if(CORVEL_HARDENING)
    add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
    # The checked functions need optimisation; a Debug build (-O0) would only get a warning.
    # A definition the caller already gives (from dpkg-buildflags, say) is not made twice.
    if(NOT CORVEL_SANITIZE AND NOT CORVEL_BUILD_FUZZ
       AND NOT CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE")
        add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
    endif()
    add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
