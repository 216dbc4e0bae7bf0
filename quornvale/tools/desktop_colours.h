#pragma once
// Desktop icon caption colours (transparent: no background behind the
// captions).  Not built yet: does nothing.
void ApplyDesktopColours(int transparent);
