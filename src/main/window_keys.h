// Keys that act the same whether the scenario or the menu owns input: full
// screen, screenshots, mute and volume.
#pragma once

// Acts on `event` when it is one of these keys (setting keypush); true then.
bool dispatchWindowKeys();
