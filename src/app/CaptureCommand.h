#pragma once

#include <QStringList>

#include <functional>
#include <memory>

class QGuiApplication;
class QObject;

namespace velmora {

class CaptureFlows;
struct CaptureArguments;

// `velmora full|region|window|color|text`: captures, then opens the editor in this process (served
// until it closes and the clipboard is no longer ours, as `velmora edit` does), writes the PNG given
// with -o, or prints and copies the colour. Returns the exit status: 0 done, 1 cancelled by the
// user (nothing written), 2 an error, reported on one line of standard error. The application
// object must exist: a QApplication when CaptureArguments::needsWidgets() says so.
int runCapture(const QStringList& arguments);

// The application object for a capture command: QApplication when it shows widgets, else the
// lighter QGuiApplication. Qt's complaints while it falls back from an unreachable display to the
// offscreen platform are kept off standard error, where the command's own one line goes.
std::unique_ptr<QGuiApplication> createCaptureApplication(int& argc, char** argv, bool widgets);

// Starts the flow the command asks for; false when another capture runs.
bool startCaptureCommand(CaptureFlows& flows, const CaptureArguments& arguments);
// Counts `seconds` down on the screen under the pointer, where the user is looking, then runs
// `then` (not at all once `context` is gone).
void afterCountdown(double seconds, QObject* context, std::function<void()> then);

} // namespace velmora
