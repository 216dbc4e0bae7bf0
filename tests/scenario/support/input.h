#pragma once
// Real input for scenario tests, through SendInput: it passes the low-level
// hooks and reaches applications as a user's input would (with the injected
// flag set).  Every button event carries an absolute move to the point, so
// the cursor stays put and double clicks are recognised.
#include <windows.h>

#include <functional>

namespace scenario::input {

enum class Button { Left, Right, Middle };

void MoveTo(POINT p, ULONG_PTR extra = 0);
void Press(Button b, POINT p, ULONG_PTR extra = 0);
void Release(Button b, POINT p, ULONG_PTR extra = 0);
void Click(Button b, POINT p);
// Two clicks within the double-click time and area.
void DoubleClick(Button b, POINT p);
// One wheel event of the given amount (120 = one notch away from the user).
void Wheel(int amount, POINT p, ULONG_PTR extra = 0);
// Keys pressed through SendInput live only in Wine's own key state, which
// Wine resets from the X server's keyboard whenever it resynchronises (a
// caption press starts the move loop, which grabs the pointer): a modifier
// that must stay held through a click is pressed as a real X key instead.
// Left/right Alt and Ctrl and left Shift, to the foreground window (which
// gets the X keyboard focus with it); true once the desktop sees it held.
bool RealKeyDown(WORD vk);
bool RealKeyUp(WORD vk);
// Holds a real key for a scope, so a failing test never leaves it pressed.
class HeldKey {
public:
    explicit HeldKey(WORD vk) : vk_(vk), held_(RealKeyDown(vk)) {}
    ~HeldKey() { RealKeyUp(vk_); }
    HeldKey(const HeldKey&) = delete;
    HeldKey& operator=(const HeldKey&) = delete;
    bool Held() const { return held_; }

private:
    WORD vk_;
    bool held_;
};

// The real pointer, through xdotool: what drives the system's move and size
// loops (a caption press, moves in steps, the release).  Each waits until
// the desktop has seen it (the cursor at the point, the button's state);
// false when it never did.
bool RealMoveTo(POINT p);
// The same move, not waited for: for a caller that waits for its own sign
// (an application may move the cursor on at once).
bool RealMoveToUnwaited(POINT p);
bool RealLeftDown();
bool RealLeftUp();

void KeyDown(WORD vk);
void KeyUp(WORD vk);
void Tap(WORD vk);
// Lets the desktop deliver what was sent (pumps this thread meanwhile).
void Settle(DWORD ms = 150);
// Puts the cursor on the point and answers where it really is.  While a
// low-level mouse hook is installed, Wine does not move the cursor for
// injected moves, so it is placed directly.
POINT PlaceCursor(POINT p);

// Moves the cursor to and fro over the point until the condition holds or
// the time is out: the low-level hooks get events all along.
bool MoveUntil(POINT around, const std::function<bool()>& done, DWORD timeout_ms);

}  // namespace scenario::input
