#pragma once

// How assistive technology sees the windows: each window as a frame named by
// its caption, each switch cell as a radio button of its switch that a press
// action sets as a click does, the announcer's sentences as notifications;
// every list, once it has had the focus, says its new choice. Installed
// once, at start-up, before the first window: setUpApplication() does it.
// Not "access": that is a POSIX function of <unistd.h>.
namespace accessibility {

void install();

} // namespace accessibility
