// rSPGkaiseki: split the statement at its first colon and run the first row
// of the keyword table whose keyword the statement's keyword begins with.
// The order of the rows matters: MSG.COLOR must be tried before MSG, CHARA.ICHI
// before CHARA, FLAG16.SET before FLAG16, and so on.
#include <cstring>

#include "scenario/engine_state.h"
#include "scenario/scenario.h"
#include "scenario/scenario_lines.h"
#include "scenario/statements.h"

namespace {

struct KeywordRow {
  const char* keyword;
  StatementHandler run;
};

const KeywordRow kKeywords[] = {
    {"CG.REDRAW", stmtCgRedraw},
    {"SIORI", stmtSiori},
    {"MSG.COLOR", stmtMsgColor},
    {"MSG.FONT", stmtMsgFont},
    {"MSG", stmtMsg},
    {"CHARAPNG", stmtCharaPng},
    {"CHARABMP", stmtCharaBmp},
    {"CHARA.ICHI", stmtCharaIchi},
    {"CHARA1", stmtChara},
    {"CHARA", stmtChara},
    {"HAIKEIPNG", stmtHaikeiPng},
    {"HAIKEIJPG", stmtHaikeiJpg},
    {"HAIKEIBMP", stmtHaikeiBmp},
    {"HAIKEI.CLEAR", stmtHaikeiClear},
    {"KOUKEIPNG", stmtKoukeiPng},
    {"KOUKEIBMP", stmtKoukeiBmp},
    {"ZENKEIPNG", stmtZenkeiPng},
    {"ZENKEIBMP", stmtZenkeiBmp},
    {"HAIKEI1", stmtHaikei},
    {"HAIKEI", stmtHaikei},
    {"CG.BRIGHT", stmtCgBright},
    {"OTO1.WAV", stmtOto1Wav},
    {"OTO1.PLAY", stmtOto1Play},
    {"OTO1.STOP", stmtOto1Stop},
    {"OTO2.WAV", stmtOto2Wav},
    {"OTO2.PLAY", stmtOto2Play},
    {"OTO2.STOP", stmtOto2Stop},
    {"TICKCOUNT", stmtNoEffect},
    {"SELECT.MODE", stmtSelectMode},
    {"SELECT.MSG", stmtSelectMsg},
    {"SELECT.GOTO", stmtSelectGoto},
    {"KEYWAIT", stmtKeyWait},
    {"NOWAIT", stmtNoWait},
    {"GOTO", stmtGoto},
    {"WAIT", stmtWait},
    {"SCENE", stmtScene},
    {"GAMEN", stmtGamen},
    {"MODE", stmtMode},
    {"VERSION.CHECK", stmtVersionCheck},
    {"KISYU", stmtKisyu},
    {"SINARIO.READ", stmtSinarioRead},
    {"SYSTEMSIZE", stmtSystemSize},
    {"FLAG16.SET", stmtFlag16Set},
    {"FLAG16.PLUS", stmtFlag16Plus},
    {"FLAG16.COPY", stmtFlag16Copy},
    {"FLAG16", stmtFlag16},
    {"IF.FLAG16", stmtIfFlag16},
    {"FLAG1.SET", stmtFlag1Set},
    {"FLAG1.COPY", stmtFlag1Copy},
    {"FLAG1", stmtFlag1},
    {"IF.FLAG1", stmtIfFlag1},
    {"FLAG8.SET", stmtFlag8Set},
    {"FLAG8.PLUS", stmtFlag8Plus},
    {"FLAG8.COPY", stmtFlag8Copy},
    {"FLAG8", stmtFlag8},
    {"IF.FLAG8", stmtIfFlag8},
    {"FLAG32.SET", stmtFlag32Set},
    {"FLAG32.PLUS", stmtFlag32Plus},
    {"FLAG32.COPY", stmtFlag32Copy},
    {"FLAG32", stmtFlag32},
    {"IF.FLAG32", stmtIfFlag32},
    {"SAVEFILE", stmtNoEffect},
};

const KeywordRow* findRow(const char* keyword) {
  for (const KeywordRow& row : kKeywords) {
    if (std::strncmp(keyword, row.keyword, std::strlen(row.keyword)) == 0) return &row;
  }
  return nullptr;
}

}  // namespace

const char* matchKeyword(const char* keyword) {
  const KeywordRow* row = findRow(keyword);
  return row ? row->keyword : nullptr;
}

int32_t rSPGkaiseki() {
  const StatementParts parts = splitStatement(SinaMsg);
  const KeywordRow* row = findRow(parts.keyword);
  return row ? row->run(parts.argument) : 0;
}
