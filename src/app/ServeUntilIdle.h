#pragma once

namespace velmora {

class AppState;

// A command that opened editors or copied something keeps its process alive while it still has
// something to serve: an editor, a pinned picture, a copy being prepared, or the clipboard (X
// asks the owner for the data each time someone pastes). This quits the event loop once none is
// left, now or as soon as that happens.
void quitWhenIdle(AppState& state);
void serveUntilIdle(AppState& state);

} // namespace velmora
