# The lint and the scene analysis as a library, for callers besides
# tavino-tool: the tests drive lintGameFolder in-process on damaged folders,
# and fuzz targets or exporters may link it too. Built only when linked.
if(TAVINO_TOOLS OR TAVINO_FUZZ)
  add_library(tavino_lint STATIC EXCLUDE_FROM_ALL tools/lint.cpp tools/lint_assets.cpp
    tools/scene_graph.cpp tools/cp932.cpp tools/image_out.cpp)
  target_include_directories(tavino_lint PUBLIC tools)
  target_link_libraries(tavino_lint PUBLIC tavino_core)
  if(TARGET test_authoring)
    target_link_libraries(test_authoring PRIVATE tavino_lint)
  endif()
endif()
