# tocolo_listening: strokes heard in recorded sound, and Tocolo's own output found in it. Plain
# C++ over aubio, no Qt. Included from the top-level CMakeLists.txt, so paths are relative to
# this file.
find_package(PkgConfig REQUIRED)
pkg_check_modules(AUBIO REQUIRED IMPORTED_TARGET aubio)

add_library(tocolo_listening STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AubioPtr.h
  ${CMAKE_CURRENT_LIST_DIR}/EchoFinder.cpp ${CMAKE_CURRENT_LIST_DIR}/EchoFinder.h
  ${CMAKE_CURRENT_LIST_DIR}/HighPassFilter.h
  ${CMAKE_CURRENT_LIST_DIR}/OnsetDetector.cpp ${CMAKE_CURRENT_LIST_DIR}/OnsetDetector.h)
target_include_directories(tocolo_listening PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(tocolo_listening PUBLIC PkgConfig::AUBIO)
tocolo_target(tocolo_listening)
