#include "quornvale/tools/watermark_placement.h"

namespace {
int Min(int a, int b) { return a < b ? a : b; }
int NotNegative(int v) { return v < 0 ? 0 : v; }
}  // namespace

WatermarkPlacement PlaceWatermark(int image_width, int image_height, int capture_width,
                                  int capture_height, int position_code)
{
    WatermarkPlacement p = {};
    p.width = NotNegative(Min(image_width, capture_width));
    p.height = NotNegative(Min(image_height, capture_height));
    int free_width = NotNegative(capture_width - p.width);
    int free_height = NotNegative(capture_height - p.height);
    switch (position_code) {
    case 1: p.x = 0; p.y = 0; break;
    case 2: p.x = free_width / 2; p.y = 0; break;
    case 3: p.x = free_width; p.y = 0; break;
    case 4: p.x = free_width / 2; p.y = free_height / 2; break;
    case 5: p.x = 0; p.y = free_height; break;
    case 6: p.x = free_width / 2; p.y = free_height; break;
    default: p.x = free_width; p.y = free_height; break;
    }
    return p;
}

unsigned char WatermarkAlpha(int setting_value)
{
    return static_cast<unsigned char>(setting_value & 0xFF);
}
