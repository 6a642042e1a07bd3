#include <GL/gl.h>

#include <cstdio>

#include "graphics/display.h"
#include "graphics/draw.h"
#include "graphics/textures.h"
#include "platform/glfw2.h"

int CDisplay::w = 1;
int CDisplay::h = 1;
float CDisplay::r = 1.0f;
float CDisplay::g = 1.0f;
float CDisplay::b = 1.0f;
float CDisplay::a = 1.0f;

void init_gfx() {
    // The window cannot open then, and open_window fails as usual; the windowing layer has said why.
    if (!glfw2::init())
        std::fprintf(stderr, "Could not start the windowing library: no window can open\n");
}

int open_window(const char* title, int mode) {
    glfw2::open_window_hint(glfw2::WINDOW_NO_RESIZE, 1);
    if (mode == FULLSCREEN)
        mode = glfw2::FULLSCREEN;
    else if (mode == WINDOWED)
        mode = glfw2::WINDOW;
    if (!glfw2::open_window(CDisplay::width(), CDisplay::height(), 6, 6, 6, 6, 0, 0, mode)) {
        glfw2::terminate();
        return -1;
    }
    // The window may differ from the size asked for (a fullscreen mode the monitor lacks, scaling).
    int width = 0;
    int height = 0;
    glfw2::get_window_size(&width, &height);
    CDisplay::set_dim(width, height);
    glfw2::enable(glfw2::MOUSE_CURSOR);
    glfw2::set_window_title(title);
    glEnable(GL_TEXTURE_2D);
    glfw2::swap_interval(0);
    glGenTextures(TEXTURE_SLOTS, tex2);
    return 0;
}

void follow_window_size() {
    int width = 0;
    int height = 0;
    if (glfw2::take_new_window_size(&width, &height) && width > 0 && height > 0)
        CDisplay::set_dim(width, height);
}

float* color(float r, float g, float b) {
    return color(r, g, b, 1.0f);
}

float* color(float r, float g, float b, float a) {
    return new float[4]{r, g, b, a};
}

void set_color(float r, float g, float b) {
    glColor4f(r, g, b, 1.0f);
}

void set_color(float r, float g, float b, float a) {
    glColor4f(r, g, b, a);
}

void set_color(float* col) {
    glColor4fv(col);
}

bool drawing_to_window() {
    return glfw2::rendering_to_window();
}

void bind_no_texture() {
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, NO_TEXTURE);
}

void bind_texture(int id) {
    if (static_cast<unsigned int>(id) == NO_TEXTURE) {
        bind_no_texture();
        return;
    }
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(id));
}

void draw_box(float x, float y, float w, float h, float* col) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(x, y, 0);
    glColor4fv(col);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBegin(GL_QUADS);
    glVertex2f(w, h);
    glVertex2f(w, 0);
    glVertex2f(0, 0);
    glVertex2f(0, h);
    glEnd();
    bind_no_texture();
    glPopMatrix();
}

void draw_tex(float x, float y, float w, float h, float* col, int tex) {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(x, y, 0);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(tex));
    glColor4fv(col);
    glBegin(GL_QUADS);
    glTexCoord2f(1, 1);
    glVertex2f(w, h);
    glTexCoord2f(1, 0);
    glVertex2f(w, 0);
    glTexCoord2f(0, 0);
    glVertex2f(0, 0);
    glTexCoord2f(0, 1);
    glVertex2f(0, h);
    glEnd();
    bind_no_texture();
    glPopMatrix();
}
