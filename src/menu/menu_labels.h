// Texts of the system menu, as Shift-JIS bytes that index the scenario's font.
// Each array is the drawn bytes plus a terminating NUL, so labelBytes() gives
// the drawn length.
#pragma once

// The greyed save entry draws only the first
// 9 bytes of its 18; the text drawer completes the fifth character.
constexpr int kGreyedSaveDrawn = 9;

template <int N>
constexpr int labelBytes(const char (&)[N]) {
  return N - 1;
}

extern const char kMenuCursor[3];        // "→"
extern const char kMenuReturn[13];       // "ゲームに戻る"
extern const char kMenuSave[11];         // "セーブする"
extern const char kMenuSaveGreyed[19];   // "セーブする（不可）"
extern const char kMenuLoad[9];          // "読み込む"
extern const char kMenuRestart[9];       // "最初から"
extern const char kMenuHeader[25];       // ASCII, with two trailing spaces
extern const char kMenuFooter[19];       // "↑↓選択 Enter決定"
extern const char kMenuBack[7];          // "もどる"
extern const char kMenuSaveTitle[29];    // "セーブする枠を選んでください"
extern const char kMenuSavedTitle[13];   // "保存しました"
extern const char kMenuLoadTitle[23];    // "どれをロードしますか？"
