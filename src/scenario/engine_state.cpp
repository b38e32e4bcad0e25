#include "scenario/engine_state.h"

#include <cstdlib>
#include <cstring>

#include "display/composition_memo.h"

int32_t w, h;
double resizeX, resizeY;
int32_t SystemFontSize;
int32_t padok;
int32_t keypush;
int32_t menumode = 1;
uint32_t gTickCount;
uint32_t gOldClock;
char pg_workdir[1056];

char SinaFile[1024];
FILE* pSinaFile;
char SinaMsg[112];
int32_t KeyWait;
int32_t NoWait;
int32_t SceneNum;
uint8_t gSaveFlag;
char siori[112];
char MyAppDir[1024];

uint8_t gFlag1[2048];
int8_t gFlag8[256];
int16_t gFlag16[128];
int32_t gFlag32[64];
int32_t gFlag1Now, gFlag8Now, gFlag16Now, gFlag32Now;

int32_t HaikeiCG, HaikeiCGtype;
int32_t KoukeiCG, KoukeiCGtype;
int32_t ZenkeiCG, ZenkeiCGtype;
int32_t CharaCG[3], CharaCGtype[3];
uint8_t CharaIchi;
uint16_t FaceCG;
int32_t CgBright, CgBrighttype;
int32_t cgChange;

char Msg1[kLineBytes], Msg2[kLineBytes], Msg3[kLineBytes], Msg4[kLineBytes];
int32_t MsgColor;
int32_t MsgFont;
char SelectMsg1[kLineBytes], SelectMsg2[kLineBytes], SelectMsg3[kLineBytes],
    SelectMsg4[kLineBytes], SelectMsg5[kLineBytes], SelectMsg6[kLineBytes];
int32_t SelectGoto[6];
uint8_t SelectMode;
int32_t SelectNow;

int32_t SystemSizeW, SystemSizeH;
int32_t KisyuMode;
uint8_t SystemMode;
uint32_t gNextTickCount;

uint8_t* sound_buffer;
uint32_t sound_len, sound_pos;
int32_t sound_loop;
uint8_t* sound_buffer2;
uint32_t sound_len2, sound_pos2;
int32_t sound_loop2;

uint8_t gHaikeiBits[kFrameBytes];
uint8_t gUraCash[kFrameBytes];
uint8_t gUra[kFrameBytes];
uint32_t pix[kPixCapacity];
int32_t cashok;

uint32_t cash_cg2[kCacheEntries];
uint8_t* cashimg_CG2[kCacheEntries];
int32_t cash_width2[kCacheEntries];
int32_t cash_height2[kCacheEntries];
int32_t cash_dotsize2[kCacheEntries];
int32_t cashins2;

uint8_t gfilework[kWorkBufferSize];
uint8_t gdata[kWorkBufferSize];
int32_t gBitC[256][8];
int32_t gJpegWTable;

uint8_t gfont[kFontBytes];

int32_t menucur;
char menu1[32], menu2[32], menu3[32], menu4[32], menu5[32], menu6[32];
int32_t savedatamax;
int32_t gSaveLoadFlg;

char* selectLine(int row) {
  static char* const lines[6] = {SelectMsg1, SelectMsg2, SelectMsg3,
                                 SelectMsg4, SelectMsg5, SelectMsg6};
  return lines[row];
}

char* messageLine(int row) {
  static char* const lines[4] = {Msg1, Msg2, Msg3, Msg4};
  return lines[row];
}

template <typename T>
static void zero(T& v) {
  std::memset(&v, 0, sizeof v);
}

void engineStateClear() {
  zero(w), zero(h), zero(resizeX), zero(resizeY), zero(SystemFontSize);
  zero(padok), zero(keypush), zero(gTickCount), zero(gOldClock), zero(pg_workdir);
  menumode = 1;

  if (pSinaFile) std::fclose(pSinaFile);
  pSinaFile = nullptr;
  zero(SinaFile), zero(SinaMsg), zero(KeyWait), zero(NoWait), zero(SceneNum);
  zero(gSaveFlag), zero(siori), zero(MyAppDir);

  zero(gFlag1), zero(gFlag8), zero(gFlag16), zero(gFlag32);
  zero(gFlag1Now), zero(gFlag8Now), zero(gFlag16Now), zero(gFlag32Now);

  zero(HaikeiCG), zero(HaikeiCGtype), zero(KoukeiCG), zero(KoukeiCGtype);
  zero(ZenkeiCG), zero(ZenkeiCGtype), zero(CharaCG), zero(CharaCGtype);
  zero(CharaIchi), zero(FaceCG), zero(CgBright), zero(CgBrighttype), zero(cgChange);

  for (int i = 0; i < 4; i++) std::memset(messageLine(i), 0, kLineBytes);
  for (int i = 0; i < 6; i++) std::memset(selectLine(i), 0, kLineBytes);
  zero(MsgColor), zero(MsgFont), zero(SelectGoto), zero(SelectMode), zero(SelectNow);

  zero(SystemSizeW), zero(SystemSizeH), zero(KisyuMode), zero(SystemMode);
  zero(gNextTickCount);

  zero(gHaikeiBits), zero(gUraCash), zero(gUra), zero(pix), zero(cashok);
  forgetComposition();

  for (int i = 0; i < kCacheEntries; i++) {
    std::free(cashimg_CG2[i]);
    cashimg_CG2[i] = nullptr;
  }
  zero(cash_cg2), zero(cash_width2), zero(cash_height2), zero(cash_dotsize2);
  zero(cashins2);

  zero(gBitC), zero(gJpegWTable);

  zero(menucur), zero(menu1), zero(menu2), zero(menu3), zero(menu4), zero(menu5);
  zero(menu6), zero(savedatamax), zero(gSaveLoadFlg);
  // gfilework, gdata and gfont are left alone: scratch and a 13 MB font that
  // tests load once and share. The sound channels belong to sound.cpp.
}
