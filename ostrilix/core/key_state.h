#pragma once
// Asynchronous key test.  For the two main mouse buttons it follows swapped
// buttons, so VK_LBUTTON always means the logical left (primary) button.
bool IsKeyPressed(int virtual_key);
