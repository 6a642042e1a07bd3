#pragma once

// All text is drawn from the picture registered as "font". Where the interface is scaled up enough that
// its 32-pixel cells would be stretched and blur, the picture painted beside it with cells twice as large
// takes its place; at the interface's own size and below, the game's own font stays, as it always was.
// The texture keeps its name and id (the menus hold it): its picture is loaded again when the choice
// changes, which happens only when the window's size crosses the threshold.
void fit_font_picture(float interface_scale);
