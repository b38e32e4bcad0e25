// Statement handlers, one per row of the interpreter's keyword table. Each
// receives the argument (the bytes after the first colon, line end removed)
// and returns the statement result: 0 = go on, anything else = stop.
#pragma once

#include <cstdint>

using StatementHandler = int32_t (*)(const char* arg);

// Flow (flow_statements.cpp)
int32_t stmtGoto(const char* arg);
int32_t stmtKeyWait(const char* arg);
int32_t stmtNoWait(const char* arg);
int32_t stmtWait(const char* arg);
int32_t stmtScene(const char* arg);
int32_t stmtGamen(const char* arg);
int32_t stmtSinarioRead(const char* arg);

// Settings (setting_statements.cpp)
int32_t stmtSiori(const char* arg);
int32_t stmtMode(const char* arg);
int32_t stmtKisyu(const char* arg);
int32_t stmtSystemSize(const char* arg);
int32_t stmtVersionCheck(const char* arg);
int32_t stmtNoEffect(const char* arg);  // TICKCOUNT, SAVEFILE

// Flags (flag_statements.cpp)
int32_t stmtFlag1(const char* arg);
int32_t stmtFlag1Set(const char* arg);
int32_t stmtFlag1Copy(const char* arg);
int32_t stmtIfFlag1(const char* arg);
int32_t stmtFlag8(const char* arg);
int32_t stmtFlag8Set(const char* arg);
int32_t stmtFlag8Plus(const char* arg);
int32_t stmtFlag8Copy(const char* arg);
int32_t stmtIfFlag8(const char* arg);
int32_t stmtFlag16(const char* arg);
int32_t stmtFlag16Set(const char* arg);
int32_t stmtFlag16Plus(const char* arg);
int32_t stmtFlag16Copy(const char* arg);
int32_t stmtIfFlag16(const char* arg);
int32_t stmtFlag32(const char* arg);
int32_t stmtFlag32Set(const char* arg);
int32_t stmtFlag32Plus(const char* arg);
int32_t stmtFlag32Copy(const char* arg);
int32_t stmtIfFlag32(const char* arg);

// Pictures (picture_statements.cpp)
int32_t stmtCgRedraw(const char* arg);
int32_t stmtCharaPng(const char* arg);
int32_t stmtCharaBmp(const char* arg);
int32_t stmtCharaIchi(const char* arg);
int32_t stmtChara(const char* arg);       // CHARA, CHARA1
int32_t stmtHaikeiPng(const char* arg);
int32_t stmtHaikeiJpg(const char* arg);
int32_t stmtHaikeiBmp(const char* arg);
int32_t stmtHaikeiClear(const char* arg);
int32_t stmtKoukeiPng(const char* arg);
int32_t stmtKoukeiBmp(const char* arg);
int32_t stmtZenkeiPng(const char* arg);
int32_t stmtZenkeiBmp(const char* arg);
int32_t stmtHaikei(const char* arg);      // HAIKEI, HAIKEI1
int32_t stmtCgBright(const char* arg);

// Messages and choices (message_statements.cpp)
int32_t stmtMsgColor(const char* arg);
int32_t stmtMsgFont(const char* arg);
int32_t stmtMsg(const char* arg);
int32_t stmtSelectMode(const char* arg);
int32_t stmtSelectMsg(const char* arg);
int32_t stmtSelectGoto(const char* arg);

// Sound (sound_statements.cpp)
int32_t stmtOto1Wav(const char* arg);
int32_t stmtOto1Play(const char* arg);
int32_t stmtOto1Stop(const char* arg);
int32_t stmtOto2Wav(const char* arg);
int32_t stmtOto2Play(const char* arg);
int32_t stmtOto2Stop(const char* arg);
