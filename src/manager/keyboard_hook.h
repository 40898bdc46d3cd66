// The process-wide keyboard hook that lets the space bar start the top prediction.
#pragma once

class CPredictionCommandManager;

// Removes the hook when it serves the manager, so that it never calls a destroyed manager.
void RemoveKeyboardHookServing(const CPredictionCommandManager* manager);
