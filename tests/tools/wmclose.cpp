// Asks a window to close the way a window manager's close button does: a
// WM_DELETE_WINDOW message. (xdotool's windowclose destroys the window
// instead, which no program ever sees as a request.)
// Usage: wmclose WINDOW-ID
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: wmclose WINDOW-ID\n");
        return 2;
    }
    char* end;
    const Window window = strtoul(argv[1], &end, 0);
    if (*end || !window) {
        fprintf(stderr, "wmclose: not a window id: %s\n", argv[1]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        fprintf(stderr, "wmclose: no display\n");
        return 1;
    }
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &e);
    XSync(display, False);
    XCloseDisplay(display);
    return sent ? 0 : 1;
}
