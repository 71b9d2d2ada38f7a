#pragma once
// Keys from the page. The page's key handler runs between frames, on the
// same thread as the show, and queues what it saw here; the show takes it
// at the frame loop's usual places: the arrows and Space through the
// engine's key source (vrlSetKeySource), Escape through GetAsyncKeyState.

// A vrlKey (VRL_KEY_LEFT, VRL_KEY_RIGHT, VRL_KEY_SPACE). Others are ignored;
// keys beyond the queue's room are dropped, the oldest kept.
void webPressKey(int key);
// Escape reads as pressed at the next GetAsyncKeyState(VK_ESCAPE).
void webPressEscape();
// Forgets queued keys and a pending Escape (a new show starting).
void webClearKeys();

// The engine's key source: hands over queued keys, oldest first.
int webKeySource(int* keys, int capacity);
// True once per Escape pressed since the last call.
bool webTakeEscape();
