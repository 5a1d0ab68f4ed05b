#pragma once

// The program's own controls are labels or plain widgets to Qt; this teaches assistive
// technology what they are (a button, a link, a spin box) and how to press them. Every such
// control calls install() when it is made; it installs once.
namespace AccessibleControls {

void install();

} // namespace AccessibleControls
