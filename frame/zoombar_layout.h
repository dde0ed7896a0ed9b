// How tall the zoom slider is. Platform-free.
#pragma once

namespace zarp {

// The slider reaches from its top (in the frame's client area) down to the bottom
// margin it has at 96 DPI, where it is the client height less 100 pixels. At other
// DPIs the slider's top moves with the dialog units, so the margin is what is left of
// those 100 pixels once the top is scaled back to 96 DPI. Never negative.
int SliderHeight(int clientHeight, int sliderTop, int dpi);

}  // namespace zarp
