// The desktop caption colours as settings.ini gives them.
#include <windows.h>
#include <commctrl.h>

#include "quornvale/tools/desktop_colours.h"
#include "tests/framework/check.h"

TEST_CASE("caption_colours_take_the_low_8_bits_of_each_component_and_no_background_is_clr_none")
{
    struct Case {
        bool no_background;
        int back[3], text[3];
        COLORREF background, text_colour;
    };
    const Case cases[] = {
        {false, {58, 110, 165}, {255, 255, 255}, RGB(58, 110, 165), RGB(255, 255, 255)},
        {true, {58, 110, 165}, {255, 255, 255}, CLR_NONE, RGB(255, 255, 255)},
        {false, {256, -1, 511}, {300, 0, 1}, RGB(0, 255, 255), RGB(44, 0, 1)},
    };
    for (const Case& c : cases) {
        const CaptionColours colours = ComposeCaptionColours(c.no_background, c.back[0], c.back[1], c.back[2],
                                                             c.text[0], c.text[1], c.text[2]);
        CHECK_EQ(colours.background, c.background);
        CHECK_EQ(colours.text, c.text_colour);
    }
}
