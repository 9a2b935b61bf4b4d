# h7screens: renders the screens for the documentation (scripts/screenshots.sh).
option(H7_BUILD_DOCS "Build the screenshot renderer" OFF)
if(H7_BUILD_DOCS)
  add_executable(h7screens tools/h7screens.cpp)
  target_link_libraries(h7screens PRIVATE h7gui)
endif()
