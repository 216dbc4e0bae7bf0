#pragma once
// Where a watermark stamp goes on a captured image: its area never exceeds
// the capture, and the position code chooses one of seven places.
//   1 top left, 2 top centre, 3 top right, 4 centre, 5 bottom left,
//   6 bottom centre, anything else (0 included) bottom right.

struct WatermarkPlacement {
    int x, y;           // top-left corner of the stamp inside the capture
    int width, height;  // min(image, capture)
};

WatermarkPlacement PlaceWatermark(int image_width, int image_height, int capture_width,
                                  int capture_height, int position_code);

// The constant alpha of the stamp: the low byte of the setting (256 is 0).
unsigned char WatermarkAlpha(int setting_value);
