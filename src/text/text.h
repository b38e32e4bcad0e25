// Text: the font image and the drawing of Shift-JIS text into gUra.
#pragma once

#include <cstdint>

void fontread();  // load the font that MsgFont selects into gfont
void TextOut2(int x, int y, const char* text, int len, int32_t colour, int unused);
void fontview3(int page, int cellOffset, int x, int y, int32_t colour, int unused);
void rOPGresizeFont(uint8_t* dst, int dw, int dh, const uint8_t* src, int sw, int sh);
