/* Build configuration of id3lib for the mingw-w64 cross build (its own
   configure script cannot run for this target). */
#ifndef ID3LIB_CROSS_CONFIG_H
#define ID3LIB_CROSS_CONFIG_H
#define _ID3LIB_NAME "id3lib"
#define _ID3LIB_VERSION "3.8.3"
#define _ID3LIB_FULLNAME "id3lib-3.8.3"
#define _ID3LIB_MAJOR_VERSION 3
#define _ID3LIB_MINOR_VERSION 8
#define _ID3LIB_PATCH_VERSION 3
#define _ID3LIB_INTERFACE_AGE 0
#define _ID3LIB_BINARY_AGE 0
#define HAVE_ZLIB 1
#define HAVE_ZLIB_H 1
#define HAVE_SYS_STAT_H 1
#define HAVE_BITSET 1
#define HAVE_STRING 1
#define HAVE_IOSTREAM 1
#define HAVE_FSTREAM 1
#define HAVE_IOMANIP 1
#define HAVE_CSTRING 1
#define HAVE_CSTDIO 1
#define HAVE_CSTDLIB 1
#define HAVE_STDLIB_H 1
#define HAVE_STRING_H 1
#define HAVE_SYS_TYPES_H 1
#define ID3_ICONV_FORMAT_UTF16BE "UTF-16BE"
#define ID3D_INIT_DOUT()
#define ID3D_INIT_WARNING()
#define ID3D_INIT_NOTICE()
#define ID3D_NOTICE(x)
#define ID3D_WARNING(x)
#endif
