#pragma once

#include <QString>

#include <functional>

namespace velmora {

// One button of a pill notification.
struct NotificationAction
{
    // The button's text.
    QString title;
    // An icon of the application's own set, drawn before the title; empty for text only.
    QString iconName;
    // Run when the button is clicked.
    std::function<void()> handler;
    // Fade the pill out right after the handler has run; false keeps it up with its timer running.
    bool dismissesOnTap = true;
};

} // namespace velmora
