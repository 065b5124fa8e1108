#pragma once
// Multi-line text fields keep their whole frame at every density: at a fractional one (144 dpi is
// 1.5 device pixels to the pixel) a field's edge may fall between device pixels, and the frame
// line drawn there was clipped away on its left and top. The frame is drawn on the outermost
// device pixels inside the field instead.

namespace ravlek {

// Makes the application's style draw text fields' frames so (once; the style stays the one Qt
// chose, with this behaviour added).
void KeepTextFieldFrames();

}  // namespace ravlek
