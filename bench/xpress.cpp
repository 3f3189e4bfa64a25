#include "bench/xpress.h"

#include <SDL/SDL_syswm.h>

namespace
{
Display* connection;
Window window; // the one SDL takes input from
} // namespace

bool openPresser(const std::string& display)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11)
        return false;
    window = info.info.x11.window;
    connection = XOpenDisplay(display.c_str());
    return connection != nullptr;
}

void sendButton(bool down)
{
    XEvent event = {};
    event.xbutton.type = down ? ButtonPress : ButtonRelease;
    event.xbutton.window = window;
    event.xbutton.button = Button1;
    event.xbutton.same_screen = True;
    XSendEvent(connection, window, True, ButtonPressMask | ButtonReleaseMask, &event);
    XFlush(connection);
}

void sendKey(unsigned long keysym, bool down)
{
    XEvent event = {};
    event.xkey.type = down ? KeyPress : KeyRelease;
    event.xkey.window = window;
    event.xkey.keycode = XKeysymToKeycode(connection, keysym);
    event.xkey.same_screen = True;
    XSendEvent(connection, window, True, KeyPressMask | KeyReleaseMask, &event);
    XFlush(connection);
}

void closePresser()
{
    XCloseDisplay(connection);
    connection = nullptr;
}
