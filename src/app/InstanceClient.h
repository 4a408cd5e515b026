#pragma once

#include <QStringList>

#include <optional>

namespace velmora {

// Runs a command (`arguments`: the command and its options, as typed) in the tray instance and
// prints its answer as if this process had run it. When no instance owns the name it is started:
// by the bus (installed service file) or else by starting this program without a command. Returns
// the exit status, or nothing when there is no session bus to reach an instance through (the
// caller then runs the command itself). `start` false: an absent instance is not started, and
// the command counts as done (`velmora quit`).
std::optional<int> runInInstance(const QStringList& arguments, bool start = true);

// Whether an instance runs now.
bool instanceIsRunning();

} // namespace velmora
