#pragma once

// The program's own controls are labels or plain widgets to Qt; this teaches assistive
// technology what they are (a button, a link, a spin box) and how to press them. The application
// object calls install() as it starts; it installs once. The controls know nothing of it.
namespace AccessibleControls {

void install();

} // namespace AccessibleControls
