# Warnings are errors on both compilers: a warning in a DLL that lives inside
# someone else's process is a bug we have not met yet. Shared by the project
# and by the build-time tools that the Windows build compiles for this machine.
add_library(sloshmere_warnings INTERFACE)
target_compile_options(sloshmere_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual -Werror)
