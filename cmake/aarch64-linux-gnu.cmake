# Cross-building for 64-bit ARM Linux on a Debian x86-64 machine: Debian's
# cross compiler (g++-aarch64-linux-gnu) and the arm64 development packages
# installed beside the native ones through multiarch
# (dpkg --add-architecture arm64), so their libraries are in
# /usr/lib/aarch64-linux-gnu and their headers in /usr/include. Programs the
# build runs for itself (test discovery) and ctest run under qemu-user.
#
#   cmake -S . -B build-arm64 --toolchain cmake/aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

# The arm64 libraries come with their own dynamic loader,
# /lib/ld-linux-aarch64.so.1, which qemu finds where the programs name it.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)

# pkg-config reads the arm64 packages' .pc files, never the native ones.
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
