#pragma once

// The HUD and menu pass, in window pixels.
void gui_render();
