// Another program holding a key combination: grabs KEYCODE with MODIFIERS on the root window,
// prints "grabbed" and keeps the grab until killed. Usage: keygrab KEYCODE MODIFIERS
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: keygrab KEYCODE MODIFIERS\n");
        return 2;
    }
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "keygrab: no display\n");
        return 2;
    }
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_generic_error_t* error =
        xcb_request_check(c, xcb_grab_key_checked(c, 1, root, static_cast<uint16_t>(std::atoi(argv[2])),
                                                  static_cast<xcb_keycode_t>(std::atoi(argv[1])),
                                                  XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    if (error) {
        std::fprintf(stderr, "keygrab: the combination is taken\n");
        std::free(error);
        return 1;
    }
    std::printf("grabbed\n");
    std::fflush(stdout);
    for (;;) {
        pause();
    }
}
