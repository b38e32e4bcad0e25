// The save file "tavino.sav": six slot records as CR LF text lines. The menu
// reads it on entering a slot screen (captions), rewrites it on a save and
// restores the engine state from it on a load.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

// Reads the save file into gfilework (length in savedatamax, 0 when missing)
// and builds the captions menu1..menu6 from it.
void saveReadCaptions();
// Builds menu1..menu6 from a file image; bytes past len are never read.
void saveBuildCaptions(const uint8_t* data, int32_t len);

// The whole new file after saving `slot` (1..6) at time `now`: the new record
// first, then every line of the old image that belongs to another slot.
std::string saveComposeFile(int slot, std::time_t now, const uint8_t* old, int32_t oldLen);
// Writes slot (1..6) over the file read by saveReadCaptions. The file is
// replaced only once the new one is complete; false when nothing was written.
bool saveWriteSlot(int slot);
bool saveWriteSlotAt(int slot, std::time_t now);

// Restores SceneNum, the 1-, 8- and 16-bit flags and SinaFile from the lines
// of `slot` in a file image; a damaged line restores only what it holds.
void saveRestoreSlot(const uint8_t* data, int32_t len, int slot);
// Full load of slot (1..6) from the file read by saveReadCaptions: display
// reset, restore, then the scenario goes on at the restored scene.
void saveLoadSlot(int slot);

char* menuCaption(int slot);  // menu1..menu6 for slot 1..6
