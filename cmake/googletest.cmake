# GoogleTest comes from Debian's googletest package and is built with our own compiler,
# natively or with MinGW, so no download is ever needed.
include(FetchContent)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
FetchContent_Declare(googletest SOURCE_DIR /usr/src/googletest)
FetchContent_MakeAvailable(googletest)
include(GoogleTest)
