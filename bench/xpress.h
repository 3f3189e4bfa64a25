// Clicks sent to a window through the X server from a connection of their own, so
// that the program receives them as a user's. Apart from the benches: Xlib's names
// clash with the program's.
#pragma once

#include <string>

// Connects to the server; false when it cannot be reached or this process shows no
// X11 window.
bool openPresser(const std::string& display);

// Button 1 goes down or up on this process's window.
void sendButton(bool down);

// The key with this X keysym (XK_z, say) goes down or up on this process's window.
void sendKey(unsigned long keysym, bool down);

void closePresser();
