# The demo's default font, "pelorune96.dat", rendered once per build directory
# from a Debian Japanese font, and its path for the tests and benchmarks.
set(TAVINO_PREBUILT_DIR "" CACHE PATH "Build directory whose pelorune96.dat is copied instead of rendered")
set(TAVINO_FONT_FILE "${CMAKE_BINARY_DIR}/pelorune96.dat")

if(TAVINO_TOOLS)
  find_file(TAVINO_FONT_TTF NAMES VL-Gothic-Regular.ttf ipag.ttf fonts-japanese-gothic.ttf
    PATHS /usr/share/fonts/truetype/vlgothic /usr/share/fonts/opentype/ipafont-gothic
          /usr/share/fonts/truetype
    NO_DEFAULT_PATH DOC "TrueType font the demo font is rendered from")

  if(TAVINO_PREBUILT_DIR AND EXISTS "${TAVINO_PREBUILT_DIR}/pelorune96.dat")
    # The sanitized tool is slow; the font is the same bytes either way.
    add_custom_command(OUTPUT "${TAVINO_FONT_FILE}"
      COMMAND ${CMAKE_COMMAND} -E copy "${TAVINO_PREBUILT_DIR}/pelorune96.dat" "${TAVINO_FONT_FILE}"
      DEPENDS "${TAVINO_PREBUILT_DIR}/pelorune96.dat"
      COMMENT "Copying the prebuilt demo font")
  elseif(TAVINO_FONT_TTF)
    add_custom_command(OUTPUT "${TAVINO_FONT_FILE}"
      COMMAND tavino-tool font build --ttf "${TAVINO_FONT_TTF}" "${TAVINO_FONT_FILE}"
      DEPENDS tavino-tool "${TAVINO_FONT_TTF}"
      COMMENT "Rendering the demo font")
  else()
    message(WARNING "No Japanese TrueType font found (scripts/install-deps installs fonts-vlgothic); "
                    "tests that need pelorune96.dat will be skipped")
  endif()

  if(TAVINO_PREBUILT_DIR AND EXISTS "${TAVINO_PREBUILT_DIR}/pelorune96.dat" OR TAVINO_FONT_TTF)
    add_custom_target(tavino_font ALL DEPENDS "${TAVINO_FONT_FILE}")
    if(TAVINO_TESTS)
      add_dependencies(tavino_test_support tavino_font)
    endif()
    if(TARGET tavino-bench)
      add_dependencies(tavino-bench tavino_font)
    endif()
  endif()
endif()

if(TAVINO_TESTS)
  target_compile_definitions(tavino_test_support PUBLIC TAVINO_FONT="${TAVINO_FONT_FILE}")
endif()
if(TARGET tavino-bench)
  target_compile_definitions(tavino-bench PRIVATE TAVINO_FONT="${TAVINO_FONT_FILE}")
endif()
