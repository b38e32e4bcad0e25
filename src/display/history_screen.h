// The history screen: past messages and choices over the darkened scene,
// newest at the bottom. While it is open the scenario waits; closing it
// shows the frame it covered again.
#pragma once

bool historyShown();
void openHistory();        // at the newest entry
void closeHistory();
void scrollHistoryUp();    // one entry back, while older entries are hidden
void scrollHistoryDown();  // one entry forward, up to the newest
bool historyAtNewest();
