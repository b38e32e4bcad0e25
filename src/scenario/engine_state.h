// Program-wide state shared by every subsystem. The player is built as plain
// procedures over these variables; each one is defined once, in
// engine_state.cpp, and starts at its process-start value.
#pragma once

#include <cstdint>
#include <cstdio>

// ---- Sizes fixed by the frame layout and the work buffers ----------------
constexpr int kFrameW = 1920;
constexpr int kFrameH = 1080;
constexpr int kFrameStride = kFrameW * 3;              // bytes per frame row
constexpr int kFrameBytes = kFrameStride * kFrameH;    // 6,220,800
constexpr int kPixCapacity = 3840 * 2160;              // 32-bit pixels in `pix`
constexpr int kWorkBufferSize = 8294512;               // gfilework, gdata
constexpr int kMaxFileRead = 8294500;                  // longest file read whole
constexpr int kFontBytes = 13249600;                   // gfont
constexpr int kLineBytes = 27;                         // Msg1..4, SelectMsg1..6
constexpr int kCacheEntries = 16;

// ---- Start-up, window and input (owned by src/main) ----------------------
extern int32_t w, h;                 // window size in pixels
extern double resizeX, resizeY;      // size of the picture area inside the window
extern int32_t SystemFontSize;       // glyph cell size in window pixels
extern int32_t padok;                // 0 no joystick, 1 in use, 2 opened but ignored
extern int32_t keypush;              // 1 from an action until its key is released
extern int32_t menumode;             // 0 scenario owns input, else the system menu
extern uint32_t gTickCount;          // tick counter (ms) and the clock it last read
extern uint32_t gOldClock;
extern char pg_workdir[1056];        // prefix of the scenario and font names; empty

// ---- Scenario file and stepping ------------------------------------------
extern char SinaFile[1024];          // path of the scenario being played
extern FILE* pSinaFile;              // open scenario; its position is the reader's place
extern char SinaMsg[112];            // the statement being executed
extern int32_t KeyWait;              // 1 once the reader has stopped at least once
extern int32_t NoWait;               // automatic advance
extern int32_t SceneNum;             // last SCENE executed: the save point
extern uint8_t gSaveFlag;            // 1 = state changed since the last stop: no saving
extern char siori[112];              // bookmark stored with a save
extern char MyAppDir[1024];          // prefix of picture, sound and save file names

// ---- Flags: four tables, each with the cursor its statements work on ------
extern uint8_t gFlag1[2048];
extern int8_t gFlag8[256];
extern int16_t gFlag16[128];
extern int32_t gFlag32[64];
extern int32_t gFlag1Now, gFlag8Now, gFlag16Now, gFlag32Now;

// ---- Picture slots (type: 0 run-length, 1 BMP, 2 JPEG, 3 PNG) ------------
extern int32_t HaikeiCG, HaikeiCGtype;   // background; type is the fill colour when empty
extern int32_t KoukeiCG, KoukeiCGtype;   // overlay behind the characters
extern int32_t ZenkeiCG, ZenkeiCGtype;   // overlay in front of the characters
extern int32_t CharaCG[3], CharaCGtype[3];  // centre, left, right
extern uint8_t CharaIchi;            // slot the next character statement fills
extern uint16_t FaceCG;              // face picture: only ever 0
extern int32_t CgBright, CgBrighttype;   // brightness on/off and percent
extern int32_t cgChange;             // 1 = redraw statements compose the layers anew

// ---- Texts and choices ---------------------------------------------------
extern char Msg1[kLineBytes], Msg2[kLineBytes], Msg3[kLineBytes], Msg4[kLineBytes];
extern int32_t MsgColor;             // 0xRRGGBB
extern int32_t MsgFont;              // font number for fontread
extern char SelectMsg1[kLineBytes], SelectMsg2[kLineBytes], SelectMsg3[kLineBytes],
    SelectMsg4[kLineBytes], SelectMsg5[kLineBytes], SelectMsg6[kLineBytes];
extern int32_t SelectGoto[6];        // target scene of each choice row; 0 = empty
extern uint8_t SelectMode;           // 1 = choices shown
extern int32_t SelectNow;            // choice cursor: -1 none, 0..5 row

// ---- System settings -----------------------------------------------------
extern int32_t SystemSizeW, SystemSizeH;  // design size of the frame
extern int32_t KisyuMode;            // 7 default, 2 handheld, 8 PS3LINUX
extern uint8_t SystemMode;           // 1 = frozen display
extern uint32_t gNextTickCount;      // deadline of the timed wait under way

// ---- Sound channels (shared with the audio thread; see sound.h) -----------
extern uint8_t* sound_buffer;
extern uint32_t sound_len, sound_pos;
extern int32_t sound_loop;
extern uint8_t* sound_buffer2;
extern uint32_t sound_len2, sound_pos2;
extern int32_t sound_loop2;

// ---- Frame buffers (frame layout: 1920 x 1080, R G B, rows top-down) ------
extern uint8_t gHaikeiBits[kFrameBytes];  // the composed scene at design size
extern uint8_t gUraCash[kFrameBytes];     // the scene scaled to the window
extern uint8_t gUra[kFrameBytes];         // the window frame
extern uint32_t pix[kPixCapacity];        // the frame as 0x00RRGGBB for SDL to blit (a screen of that format gets it directly)
extern int32_t cashok;                    // 1 while gUraCash matches gHaikeiBits

// ---- Decoded-image cache -------------------------------------------------
extern uint32_t cash_cg2[kCacheEntries];      // picture number; 0 = free
extern uint8_t* cashimg_CG2[kCacheEntries];   // pixels, rows top-down, no padding
extern int32_t cash_width2[kCacheEntries];
extern int32_t cash_height2[kCacheEntries];
extern int32_t cash_dotsize2[kCacheEntries];  // bytes per pixel: 3 or 4
extern int32_t cashins2;                      // entry the next store replaces

// ---- Decoder work areas --------------------------------------------------
extern uint8_t gfilework[kWorkBufferSize];
extern uint8_t gdata[kWorkBufferSize];
extern int32_t gBitC[256][8];        // bit i of v, most significant first
extern int32_t gJpegWTable;          // 1 once gBitC is built

// ---- Font ----------------------------------------------------------------
extern uint8_t gfont[kFontBytes];

// ---- System menu and saves -----------------------------------------------
extern int32_t menucur;
extern char menu1[32], menu2[32], menu3[32], menu4[32], menu5[32], menu6[32];
extern int32_t savedatamax;
extern int32_t gSaveLoadFlg;

// The six choice lines and four message lines by index, for code that walks them.
char* selectLine(int row);   // row 0..5 -> SelectMsg1..6
char* messageLine(int row);  // row 0..3 -> Msg1..4

// Puts every variable above back to its process-start value (menumode 1,
// everything else zero, cache blocks freed). Used by tests and the play tool.
void engineStateClear();
