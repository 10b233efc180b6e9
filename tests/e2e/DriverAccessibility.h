#pragma once
// What a screen reader hears of the program: the alerts its windows raise
// (EVENT_SYSTEM_ALERT), read through their accessible objects from the
// driver's own process, as an assistive program reads them.
#include <string>

// Waits up to Seconds for the first alert a window of class WindowClass
// raises, after printing "up" once listening; gives "ROLE | NAME |
// DESCRIPTION" (the role "alert" for ROLE_SYSTEM_ALERT, else its number),
// or "no alert".
std::string FirstAlert(const char* windowClass, double seconds);
