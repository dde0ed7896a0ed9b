#include "zoombar_layout.h"
#include <cstdint>

namespace zarp {

int SliderHeight(int clientHeight, int sliderTop, int dpi) {
    if (dpi <= 0) dpi = 96;
    const int64_t top96 = (int64_t)sliderTop * 96 / dpi;
    int64_t margin = 100 - top96;
    if (margin < 0) margin = 0;
    const int64_t cy = (int64_t)clientHeight - sliderTop - margin;
    return cy < 0 ? 0 : (int)cy;
}

}  // namespace zarp
