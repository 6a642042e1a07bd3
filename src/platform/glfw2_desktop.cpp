#include <GL/gl.h>
#include <GLFW/glfw3.h>

#include "platform/glfw2.h"
#include "platform/glfw2_target.h"

namespace glfw2 {

bool window_size_offered() {
    return true;
}

bool rendering_to_window() {
    GLint mode = 0;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    return mode == GL_RENDER;
}

}  // namespace glfw2

namespace glfw2::target {

namespace {
void (*wheel_turned)(double) = nullptr;

void on_scroll(GLFWwindow*, double, double yoffset) {
    if (wheel_turned)
        wheel_turned(yoffset);
}
}  // namespace

double clock() {
    return glfwGetTime();
}

void watch_wheel(GLFWwindow* window, void (*turned)(double)) {
    wheel_turned = turned;
    glfwSetScrollCallback(window, on_scroll);
}

bool hidden(GLFWwindow* window) {
    return glfwGetWindowAttrib(window, GLFW_ICONIFIED) || !glfwGetWindowAttrib(window, GLFW_VISIBLE);
}

void swap_interval(int interval) {
    glfwSwapInterval(interval);
}

bool size_wanted(int&, int&) {
    return false;
}

void resize(GLFWwindow*, int, int) {}

}  // namespace glfw2::target
