#pragma once

// How assistive technology sees the windows: each window as a frame named by
// its caption, each switch cell as a radio button of its switch that a press
// action sets as a click does, the announcer's sentences as notifications;
// every list, once it has had the focus, says its new choice. Installed
// once, before the first window.
namespace access {

void install();

} // namespace access
