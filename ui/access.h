#pragma once

// How assistive technology sees the windows: each window as a frame named by
// its caption, each switch cell as a radio button of its switch that a press
// action sets as a click does. Installed once, before the first window.
namespace access {

void install();

} // namespace access
