#pragma once

#include <string>
#include <vector>

class CInterfaceElem;
class CWindow;

// The inputs of the game's kept pictures (see picture_inputs.h), beyond the bodies of the world.

void append_image_inputs(std::vector<float>& inputs, const CInterfaceElem& image);
void append_text_inputs(std::vector<float>& inputs, const std::string& text);
// A menu's place, looks and text, and which button the pointer or the keyboard highlights.
void append_menu_inputs(std::vector<float>& inputs, CWindow& menu);

// What every screen is drawn from: the game and menu state, the window, the view (camera and zoom), the
// pictures loaded, the clear colour, the fixed bodies of the world and the HUD's pictures; the two that
// change by themselves during a match (the noise panel's frame, the pulse's strength) only `with_clocks`.
void append_screen_inputs(std::vector<float>& inputs, bool with_clocks);
// The frame the HUD's noise panel shows, which changes every few steps.
int noise_frame();
