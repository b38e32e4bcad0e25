// Seen text: which messages the player has been shown, kept across runs in
// "tavino.seen" beside the save file. A message is known by its scenario
// file name and the place of its statement in that file.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

// False keeps the marks in memory only: the file is neither read nor
// written (for the scenario fuzz harness, which must not touch its folder).
extern bool gSeenTextFileUsed;

// Marks of one run: scenario file name -> statement places.
using SeenMarks = std::map<std::string, std::set<uint32_t>>;

// The file image: a header line, then for each scenario file a line "F name"
// followed by one decimal place per line, and a closing "END" line.
std::string seenTextCompose(const SeenMarks& marks);
// False (marks left empty) for anything that is not a complete image.
bool seenTextParse(const std::string& bytes, SeenMarks& marks);

// The message statement being executed has been shown: marks it seen. Writes
// the file after every 50 new marks.
void seenTextNoteShown();
// True when a message shown since the last call had never been seen before.
bool seenTextTakeUnseenShown();
bool seenTextIsSeen(const char* file, uint32_t place);
// Writes the file when there are marks it does not hold yet.
void seenTextFlush();
// Forgets every mark in memory; the file is read again on next use.
void seenTextForget();
