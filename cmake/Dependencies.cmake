# Third-party libraries: zlib from the mingw-w64 package, id3lib and minizip
# compiled here from the Debian source packages that scripts/setup unpacks
# into DEPS_SOURCE_DIR. Nothing of their source lives in this repository.
set(DEPS_SOURCE_DIR "${PROJECT_SOURCE_DIR}/deps/src" CACHE PATH "Unpacked dependency sources")
file(GLOB ID3LIB_DIR LIST_DIRECTORIES true "${DEPS_SOURCE_DIR}/id3lib3.8.3-*")
file(GLOB ZLIB_SRC_DIR LIST_DIRECTORIES true "${DEPS_SOURCE_DIR}/zlib-*")
if(NOT ID3LIB_DIR OR NOT ZLIB_SRC_DIR)
  message(FATAL_ERROR "Dependency sources missing in ${DEPS_SOURCE_DIR}: run scripts/setup")
endif()

find_library(ZLIB_STATIC NAMES libz.a REQUIRED)
find_path(ZLIB_INCLUDE zlib.h REQUIRED)

file(GLOB ID3LIB_SOURCES "${ID3LIB_DIR}/src/*.cpp")
add_library(id3lib STATIC ${ID3LIB_SOURCES})
set(ID3LIB_CONFIG_DIR "${CMAKE_BINARY_DIR}/id3lib-config")
configure_file("${PROJECT_SOURCE_DIR}/cmake/id3lib-config.h" "${ID3LIB_CONFIG_DIR}/config.h" COPYONLY)
target_include_directories(id3lib SYSTEM PUBLIC "${ID3LIB_DIR}/include" PRIVATE "${ID3LIB_CONFIG_DIR}" "${ID3LIB_DIR}/src" "${ID3LIB_DIR}/include/id3" "${ZLIB_INCLUDE}")
target_compile_definitions(id3lib PUBLIC ID3LIB_LINKOPTION=1 PRIVATE HAVE_CONFIG_H WIN32)
# id3lib is C++98 code: its own language level, not the project's.
set_target_properties(id3lib PROPERTIES CXX_STANDARD 98 CXX_STANDARD_REQUIRED ON CXX_EXTENSIONS ON)
target_compile_options(id3lib PRIVATE -w)
target_link_libraries(id3lib PUBLIC ${ZLIB_STATIC})

# nlohmann-json from Debian's package, header-only. The cross compilers see
# it through a folder of its own: the host's /usr/include must stay out of
# their search path.
if(NOT EXISTS /usr/include/nlohmann/json.hpp)
  message(FATAL_ERROR "nlohmann-json missing: run scripts/setup")
endif()
set(NLOHMANN_INCLUDE_DIR "${CMAKE_BINARY_DIR}/nlohmann-include")
file(MAKE_DIRECTORY "${NLOHMANN_INCLUDE_DIR}")
file(CREATE_LINK /usr/include/nlohmann "${NLOHMANN_INCLUDE_DIR}/nlohmann" SYMBOLIC)
add_library(nlohmann_json INTERFACE)
target_include_directories(nlohmann_json SYSTEM INTERFACE "${NLOHMANN_INCLUDE_DIR}")

set(MINIZIP_DIR "${ZLIB_SRC_DIR}/contrib/minizip")
add_library(minizip STATIC "${MINIZIP_DIR}/unzip.c" "${MINIZIP_DIR}/ioapi.c")
target_include_directories(minizip SYSTEM PUBLIC "${MINIZIP_DIR}" "${ZLIB_INCLUDE}")
target_compile_definitions(minizip PRIVATE NOCRYPT NOUNCRYPT)
target_compile_options(minizip PRIVATE -w)
target_link_libraries(minizip PUBLIC ${ZLIB_STATIC})
