# cmake -DIN=FILE -DOUT=HEADER -P embed_text.cmake: HEADER defines kWebPage
# with the bytes of FILE.
if(CMAKE_SCRIPT_MODE_FILE)
  file(READ "${IN}" text)
  file(WRITE "${OUT}" "// Generated from ${IN}.\n#pragma once\nconstexpr char kWebPage[] = R\"tavino_page(${text})tavino_page\";\n")
endif()
