# Warnings are errors in every target of ours; third-party code is built without this.
function(tempiko_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wold-style-cast -Wcast-align -Woverloaded-virtual -Werror)
endfunction()
