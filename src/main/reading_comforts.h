// Skip and automatic reading.
#pragma once

// Turns skip and automatic reading off (rollback does, so the restored point
// waits for the player).
void stopSkipAndAutoRead();
