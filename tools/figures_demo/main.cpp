// figures-demo: circles, boxes and triangles dropped onto an immovable floor and a tilted immovable
// box, with outlines, the grid, the last contacts and the camera following one of them.
//
//   figures-demo [--seconds N] [--screenshot file.tga]
//
// Escape or closing the window ends it; --seconds ends it after N seconds, and --screenshot writes
// the last frame as a TGA picture.

#include <GL/gl.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framebuffer_image.h"
#include "general/figure.h"
#include "graphics/camera.h"
#include "graphics/display.h"
#include "graphics/draw.h"
#include "platform/glfw2.h"
#include "tga_writer.h"

namespace {

constexpr double STEP = 0.01;
// After a stall, catch up at most this many steps instead of running the world in a burst.
constexpr int MAX_STEPS_PER_FRAME = 10;

struct options {
    double seconds = 0;  // 0: until Escape or the window closes
    std::string screenshot;
};

void usage() {
    std::fprintf(stderr, "usage: figures-demo [--seconds N] [--screenshot file.tga]\n");
}

// 0 when the arguments are good, otherwise the exit status.
int parse(int argc, char** argv, options* opt) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage();
            return -1;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "figures-demo: %s needs a value\n", arg.c_str());
            usage();
            return 2;
        }
        const char* value = argv[++i];
        if (arg == "--seconds") {
            char* end = nullptr;
            errno = 0;
            double s = std::strtod(value, &end);
            if (end == value || *end != '\0' || errno != 0 || !(s > 0) || s > 1e6) {
                std::fprintf(stderr, "figures-demo: --seconds wants a positive number, not \"%s\"\n", value);
                return 2;
            }
            opt->seconds = s;
        } else if (arg == "--screenshot") {
            if (*value == '\0') {
                std::fprintf(stderr, "figures-demo: --screenshot wants a file name\n");
                return 2;
            }
            opt->screenshot = value;
        } else {
            std::fprintf(stderr, "figures-demo: unknown option %s\n", arg.c_str());
            usage();
            return 2;
        }
    }
    return 0;
}

struct body {
    CFigure* fig;
    float start_x;
    float start_y;
};

float fill_of(int i, int channel) {
    static const float palette[6][3] = {{0.95f, 0.55f, 0.20f}, {0.25f, 0.65f, 0.95f}, {0.45f, 0.80f, 0.35f},
                                        {0.90f, 0.35f, 0.55f}, {0.98f, 0.82f, 0.25f}, {0.60f, 0.45f, 0.90f}};
    return palette[i % 6][channel];
}

void paint(CFigure* f, int i) {
    float fill[4] = {fill_of(i, 0), fill_of(i, 1), fill_of(i, 2), 1};
    float edge[4] = {fill[0] * 0.35f, fill[1] * 0.35f, fill[2] * 0.35f, 1};
    f->set_gfx(-1, fill, true, edge);
}

CFigure* new_fixed_box(float x, float y, float w, float h, float angle) {
    static float ground[4] = {0.30f, 0.34f, 0.40f, 1};
    static float ground_edge[4] = {0.12f, 0.14f, 0.18f, 1};
    CFigure* f = new_box(x, y, w, h, 1);
    f->set_phy(true, 0, 0.9f, f->props.mass, f->props.inertia);
    f->ang_pos = angle;
    f->set_gfx(-1, ground, true, ground_edge);
    return f;
}

// The floor's top is y = 0 and the walls' inner faces x = -10 and 10. Floor and walls are thick: a
// corner driven deep into a thin one could be pushed out on the far side.
std::vector<CFigure*> build_arena() {
    return {new_fixed_box(0, -2, 28, 4, 0), new_fixed_box(-12, 10, 4, 20, 0), new_fixed_box(12, 10, 4, 20, 0),
            new_fixed_box(-4, 4, 7, 0.8f, -0.35f)};
}

std::vector<body> build_bodies() {
    std::vector<body> bodies;
    auto add = [&](CFigure* f) {
        paint(f, static_cast<int>(bodies.size()));
        bodies.push_back({f, f->pos.x, f->pos.y});
    };
    add(new_box(-5.5f, 8, 1.6f, 1.2f, 1));
    add(new_circle(-3, 10, 0.8f, 1));
    add(new_triangle(-1.5f, 12, 1.8f, 1.4f, 1));
    add(new_box(2.5f, 7, 1.2f, 1.2f, 1));
    add(new_circle(4.5f, 11, 0.6f, 1));
    add(new_triangle(6, 6, 1.4f, 1.4f, 1));
    add(new_box(0.5f, 14, 2.2f, 0.7f, 1));
    add(new_circle(-6.5f, 15, 0.7f, 1));
    add(new_triangle(3.5f, 16, 1.2f, 2, 1));
    bodies[2].fig->ang_vel = 0.02f;
    bodies[3].fig->ang_pos = 0.4f;
    bodies[6].fig->ang_vel = -0.015f;
    return bodies;
}

// One more piece every second for a while, so that something is always falling.
void drop_more(std::vector<body>& bodies, long step) {
    static const float spots[6][2] = {{-6, 14}, {1, 15}, {7, 13}, {-2, 16}, {4, 14}, {-7.5f, 13}};
    if (step % 100 != 0)
        return;
    long k = step / 100 - 1;
    if (k < 0 || k >= 6)
        return;
    float x = spots[k][0], y = spots[k][1];
    CFigure* f =
        k % 2 == 0 ? new_box(x, y, 0.9f + 0.2f * k, 0.8f, 1) : new_triangle(x, y, 1.3f, 1.0f + 0.2f * k, 1);
    f->ang_vel = 0.01f * (k % 3 - 1);
    paint(f, static_cast<int>(bodies.size()));
    bodies.push_back({f, x, y});
}

void step_world(std::vector<body>& bodies, long step) {
    drop_more(bodies, step);
    for (body& b : bodies) {
        b.fig->update();
        // Whatever leaves the arena comes back from the sky.
        CVector p = b.fig->pos;
        if (p.y < -6 || p.y > 40 || p.x < -14 || p.x > 14) {
            b.fig->pos = CVector(b.start_x, b.start_y + 4);
            b.fig->vel = CVector(0, 0);
            b.fig->ang_vel = 0;
        }
    }
}

void draw_frame(std::vector<body>& bodies, std::vector<CFigure*>& arena, CFigure* followed, float* camera) {
    int w = CDisplay::width(), h = CDisplay::height();
    glViewport(0, 0, w, h);
    glClearColor(0.86f, 0.89f, 0.93f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LINE_SMOOTH);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    float aspect = h > 0 ? static_cast<float>(w) / h : 1;
    glFrustum(-0.5 * aspect, 0.5 * aspect, -0.5, 0.5, 1, 100);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glPushMatrix();
    glTranslatef(0, -5, -25);
    translate_camera(followed, camera, 0.4f);

    glPushMatrix();
    glTranslatef(-10, 0, 0);
    world_grid(20, 20);
    glPopMatrix();

    for (CFigure* f : arena)
        f->display();
    for (body& b : bodies)
        b.fig->display();
    glMatrixMode(GL_MODELVIEW);
    for (CFigure* f : figures)
        f->display_col();
    glPopMatrix();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

bool write_screenshot(const std::string& path) {
    const int w = CDisplay::width(), h = CDisplay::height();
    if (w <= 0 || h <= 0)
        return false;
    return write_file(path, encode_tga(read_framebuffer_image(w, h)));
}

}  // namespace

int main(int argc, char** argv) {
    options opt;
    int bad = parse(argc, argv, &opt);
    if (bad == -1)
        return 0;
    if (bad != 0)
        return bad;

    init_gfx();
    CDisplay::set_dim(800, 600);
    if (open_window("figures demo", WINDOWED) != 0) {
        std::fprintf(stderr, "figures-demo: cannot open a window\n");
        return 1;
    }
    // The figures take no picture; keep texturing off.
    glDisable(GL_TEXTURE_2D);

    std::vector<CFigure*> arena = build_arena();
    std::vector<body> bodies = build_bodies();
    CFigure* followed = bodies[3].fig;
    float camera[2] = {2.5f, 7};

    glfw2::set_time(0);
    double simulated = 0;
    long step_count = 0;
    long frames = 0;
    int status = 0;
    while (true) {
        double now = glfw2::get_time();
        int steps = 0;
        while (simulated + STEP <= now && steps < MAX_STEPS_PER_FRAME) {
            if (steps == 0)
                for (CFigure* f : figures)
                    f->reset();
            step_world(bodies, step_count++);
            simulated += STEP;
            ++steps;
        }
        if (steps == MAX_STEPS_PER_FRAME)
            simulated = now;

        draw_frame(bodies, arena, followed, camera);
        ++frames;
        bool done = opt.seconds > 0 && now >= opt.seconds;
        if (done && !opt.screenshot.empty() && !write_screenshot(opt.screenshot)) {
            std::fprintf(stderr, "figures-demo: cannot write %s\n", opt.screenshot.c_str());
            status = 1;
        }
        if (done)
            break;
        glfw2::swap_buffers();
        if (!glfw2::get_window_param(glfw2::OPENED) || glfw2::get_key(glfw2::KEY_ESC) == glfw2::PRESS)
            break;
    }

    std::printf("figures-demo: %ld frames, %ld steps, %zu figures\n", frames, step_count, figures.size());
    while (!figures.empty())
        delete figures.front();
    glfw2::terminate();
    return status;
}
