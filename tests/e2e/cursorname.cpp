// The cursor the X server shows now, as the program that set it named it (for example "openhand"),
// read through XFixes. Usage: cursorname
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdio>
#include <cstdlib>

int main()
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "cursorname: no display\n");
        return 2;
    }
    // XFixes answers cursor requests only to a client that has said which version it speaks.
    std::free(xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 4, 0), nullptr));
    auto* reply =
        xcb_xfixes_get_cursor_image_and_name_reply(c, xcb_xfixes_get_cursor_image_and_name(c), nullptr);
    if (!reply) {
        std::fprintf(stderr, "cursorname: no cursor image\n");
        return 1;
    }
    std::printf("%.*s\n", xcb_xfixes_get_cursor_image_and_name_name_length(reply),
                xcb_xfixes_get_cursor_image_and_name_name(reply));
    std::free(reply);
    xcb_disconnect(c);
    return 0;
}
