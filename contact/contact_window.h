// The modal contact window opened from the main window's contact button.
#pragma once

#include "app/layout.h"

extern const WindowLayout kContactWindow;

// The click handler of the main window's contact button: loads the contact window modally.
void OnContactButtonClick();
