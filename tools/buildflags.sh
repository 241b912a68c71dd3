# Sourced by the build scripts: the compiler and linker flags Debian builds its packages
# with (dpkg-buildflags, all hardening on: fortify, stack protector, relro and bind-now;
# PIE is the compiler's default). CMake reads them when it first configures a build folder.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
# CMake has no CPPFLAGS: the preprocessor's flags (_FORTIFY_SOURCE) go with the compilers'.
export CFLAGS="$CFLAGS $CPPFLAGS" CXXFLAGS="$CXXFLAGS $CPPFLAGS"
