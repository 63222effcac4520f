# cpp-httplib as Debian builds it: a shared library (with OpenSSL, zlib and
# brotli support) found through pkg-config, as the target PkgConfig::HTTPLIB
# for every folder. Include it wherever HTTP is needed.
include_guard(GLOBAL)
find_package(PkgConfig REQUIRED)
pkg_check_modules(HTTPLIB REQUIRED IMPORTED_TARGET GLOBAL cpp-httplib)
