#include "x11/X11WindowGrab.h"

#include "x11/X11Focus.h"
#include "x11/X11WindowList.h"

#include <QDeadlineTimer>
#include <QThread>

#include <xcb/composite.h>

namespace velmora::x11 {

namespace {

const char* const windowGone = "the window closed before it could be captured";

struct Target
{
    xcb_window_t frame = 0;
    int depth = 0;
    QRect frameRect; // root coordinates, border included
    QRect visible;   // root coordinates, shadow margins cut off
};

std::optional<QImage> fromCompositor(const X11Connection& x, X11PixelReader& reader, const Target& target)
{
    xcb_connection_t* c = x.get();
    const xcb_pixmap_t pixmap = xcb_generate_id(c);
    if (xcb_generic_error_t* error =
            xcb_request_check(c, xcb_composite_name_window_pixmap_checked(c, target.frame, pixmap))) {
        // Not redirected after all (the compositor unredirects full-screen windows, say).
        std::free(error);
        return std::nullopt;
    }
    // The pixmap covers the window with its border, so its origin is the frame's outer corner.
    const QRect area = target.visible.translated(-target.frameRect.topLeft());
    auto image = reader.read(pixmap, area, target.depth);
    xcb_free_pixmap(c, pixmap);
    xcb_flush(c);
    return image;
}

// Whether no viewable top-level window lies above the frame and over any part of it.
bool frontmost(const X11Connection& x, const Target& target)
{
    xcb_connection_t* c = x.get();
    auto tree = adopt(xcb_query_tree_reply(c, xcb_query_tree(c, x.root()), nullptr));
    if (!tree) {
        return false;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    int i = 0;
    while (i < count && children[i] != target.frame) {
        ++i;
    }
    for (++i; i < count; ++i) {
        auto attributes =
            adopt(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
            attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY) {
            continue;
        }
        const auto rect = x.rootGeometry(children[i]);
        if (rect && rect->intersects(target.visible)) {
            return false;
        }
    }
    return true;
}

std::optional<QImage> fromRoot(const X11Connection& x, X11PixelReader& reader, xcb_window_t client,
                               const Target& target, QString* error)
{
    const QRect rootRect(0, 0, x.screen()->width_in_pixels, x.screen()->height_in_pixels);
    const QRect area = target.visible.intersected(rootRect);
    if (area.isEmpty()) {
        *error = QStringLiteral("the window lies off every screen");
        return std::nullopt;
    }

    // Where it stands in the stack, to put it back afterwards.
    const QList<quint32> stacking =
        x.property32(x.root(), x.atom(Atom::NetClientListStacking), XCB_ATOM_WINDOW);
    const qsizetype index = stacking.indexOf(client);
    const bool raised = !frontmost(x, target);
    if (raised) {
        restackWindow(x, client, 0, XCB_STACK_MODE_ABOVE);
    }

    // Until it is in front and two reads in a row agree (the client has finished repainting what
    // was covered), but never longer than half a second: then the last read is what there is.
    std::optional<QImage> previous;
    std::optional<QImage> image;
    const QDeadlineTimer deadline(500);
    bool gaveTimeToPaint = false;
    for (;;) {
        if (!raised || frontmost(x, target)) {
            // Two equal reads 20 ms apart can both be the old pixels of the window that covered it
            // when the client is slow to answer the exposure; give it a moment first.
            if (raised && !gaveTimeToPaint) {
                gaveTimeToPaint = true;
                QThread::msleep(50);
            }
            image =
                reader.read(x.root(), area, x.screen()->root_depth, X11PixelReader::Method::automatic, error);
            if (!image) {
                break;
            }
            if (!raised || (previous && *previous == *image)) {
                break;
            }
            previous = image;
        }
        if (deadline.hasExpired()) {
            if (!image) {
                image = reader.read(x.root(), area, x.screen()->root_depth, X11PixelReader::Method::automatic,
                                    error);
            }
            break;
        }
        QThread::msleep(20);
    }

    if (raised && index >= 0) {
        if (index > 0) {
            restackWindow(x, client, stacking[index - 1], XCB_STACK_MODE_ABOVE);
        } else if (index + 1 < stacking.size()) {
            restackWindow(x, client, stacking[index + 1], XCB_STACK_MODE_BELOW);
        }
    }
    return image;
}

} // namespace

std::optional<QImage> grabWindowImage(const X11Connection& x, X11PixelReader& reader, xcb_window_t client,
                                      QString* error)
{
    xcb_connection_t* c = x.get();
    x.discardQueuedEvents();
    const auto raw = describeWindow(x, client);
    if (!raw) {
        *error = QString::fromLatin1(windowGone);
        return std::nullopt;
    }
    if (!raw->mapped) {
        *error = QStringLiteral("the window is not shown on screen, so it cannot be captured");
        return std::nullopt;
    }
    Target target;
    target.frame = x.topLevelAncestor(client);
    auto geometry = adopt(xcb_get_geometry_reply(c, xcb_get_geometry(c, target.frame), nullptr));
    if (!target.frame || !geometry) {
        *error = QString::fromLatin1(windowGone);
        return std::nullopt;
    }
    target.depth = geometry->depth;
    target.frameRect = raw->frame;
    target.visible = raw->frame.marginsRemoved(raw->invisibleMargins);

    std::optional<QImage> image;
    if (x.hasComposite() && x.compositorRunning()) {
        image = fromCompositor(x, reader, target);
    }
    if (!image) {
        image = fromRoot(x, reader, client, target, error);
    }
    if (!image && !describeWindow(x, client)) {
        *error = QString::fromLatin1(windowGone);
    }
    return image;
}

} // namespace velmora::x11
