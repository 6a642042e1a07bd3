#pragma once

// What the windowing layer does differently on each target: glfw2_desktop.cpp, glfw2_web.cpp.
struct GLFWwindow;

namespace glfw2::target {

// The clock, in seconds from an arbitrary start.
double clock();
// Hands `turned` the wheel's turns over the window, in notches (fractions for a trackpad), away from the
// player positive.
void watch_wheel(GLFWwindow* window, void (*turned)(double notches));
// Whether nothing drawn in the window can be seen (minimised, hidden).
bool hidden(GLFWwindow* window);
void swap_interval(int interval);
// The size the window is to have now, in pixels: a browser's canvas takes the room its page gives it (the
// size it is shown at, in device pixels); false on the desktop, whose window keeps the size it opened with.
bool size_wanted(int& width, int& height);
void resize(GLFWwindow* window, int width, int height);

}  // namespace glfw2::target
