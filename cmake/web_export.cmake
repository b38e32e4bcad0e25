# `tavino-tool web` carries the page it writes, and looks for the player's
# web build (scripts/build-web) in build-web/ unless told otherwise.
if(TARGET tavino-tool)
  set(TAVINO_WEB_PAGE "${CMAKE_SOURCE_DIR}/web/page/index.html")
  set(TAVINO_WEB_PAGE_HEADER "${CMAKE_BINARY_DIR}/generated/web_page.h")
  add_custom_command(OUTPUT "${TAVINO_WEB_PAGE_HEADER}"
    COMMAND ${CMAKE_COMMAND} -DIN=${TAVINO_WEB_PAGE} -DOUT=${TAVINO_WEB_PAGE_HEADER}
            -P "${CMAKE_SOURCE_DIR}/cmake/embed_text.cmake"
    DEPENDS "${TAVINO_WEB_PAGE}" "${CMAKE_SOURCE_DIR}/cmake/embed_text.cmake"
    COMMENT "Embedding the web page")
  target_sources(tavino-tool PRIVATE "${TAVINO_WEB_PAGE_HEADER}")
  target_include_directories(tavino-tool PRIVATE "${CMAKE_BINARY_DIR}/generated")
  target_compile_definitions(tavino-tool PRIVATE
    TAVINO_WEB_BUILD_DIR="${CMAKE_SOURCE_DIR}/build-web")
endif()
