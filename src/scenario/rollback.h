// Rollback: every stop where the scenario waits for the player (a message, a
// key wait, a shown choice list) records what the scenario can change, so the
// player can step back to an earlier stop and go on from there as if for the
// first time. Only the newest stops are kept.
#pragma once

constexpr int kRollbackStops = 100;

// Called by MSG and KEYWAIT as they finish: a stop is recorded when they
// stop the reader (automatic advance off).
void noteWaitingStatement();
// Called as the reader starts a step: the player has left the stop.
void noteReaderRuns();

// Restores the stop before the one the player is at (or the newest one when
// the player waits somewhere no stop was recorded) and shows it. False, with
// nothing changed, when no such stop is recorded.
bool rollBackOneStop();
int rollbackStepsAvailable();
// True while the player waits at the newest recorded stop.
bool rollbackAtNewestStop();

// A new game or a load starts without a past: no history, no stops.
void clearHistoryAndRollback();
