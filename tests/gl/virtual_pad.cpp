// A real pad for the windowing layer: python3-evdev makes a virtual gamepad through /dev/uinput, and the
// real GLFW reader must see it arrive, read its south button and stick in the raw layout (GLFW has no
// mapping for its made-up ids), and see it go. Machines without /dev/uinput skip it, saying why.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "gl_window.h"
#include "platform/glfw2.h"
#include "platform/pads.h"
#include "program_run.h"
#include "scratch_folder.h"

namespace {

const char* const PAD_NAME = "Zelvorant virtual pad";

// Prints the device node the kernel made (empty without udev), then holds south and leans the stick right.
const char* const MAKE_PAD = R"(#!/usr/bin/python3
import time
from evdev import UInput, AbsInfo, ecodes as e
stick = AbsInfo(value=0, min=-32768, max=32767, fuzz=16, flat=128, resolution=0)
hat = AbsInfo(value=0, min=-1, max=1, fuzz=0, flat=0, resolution=0)
caps = {e.EV_KEY: [e.BTN_SOUTH, e.BTN_EAST, e.BTN_NORTH, e.BTN_WEST, e.BTN_TL, e.BTN_TR,
                   e.BTN_SELECT, e.BTN_START, e.BTN_MODE, e.BTN_THUMBL, e.BTN_THUMBR],
        e.EV_ABS: [(e.ABS_X, stick), (e.ABS_Y, stick), (e.ABS_HAT0X, hat), (e.ABS_HAT0Y, hat)]}
with UInput(caps, name="Zelvorant virtual pad", vendor=0x1209, product=0x7a70) as ui:
    print(ui.device.path if ui.device else "", flush=True)
    time.sleep(1.0)
    ui.write(e.EV_KEY, e.BTN_SOUTH, 1)
    ui.write(e.EV_ABS, e.ABS_X, 32767)
    ui.syn()
    time.sleep(30)
)";

// The id of the virtual pad once GLFW lists it, with its state; -1 if it does not show in time.
int find_pad(glfw2::pad_state& state, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        glfw2::poll_events();
        for (int id = 0; id < glfw2::MAX_PADS; ++id)
            if (glfw2::read_pad(id, state) && state.name == PAD_NAME)
                return id;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
}

}  // namespace

TEST(VirtualPad, GLFWSeesItArriveReadsItsButtonAndStickAndSeesItGo) {
    if (access("/dev/uinput", W_OK) != 0)
        GTEST_SKIP() << "no writable /dev/uinput on this machine: no virtual pad can be made";
    if (std::system("/usr/bin/python3 -c 'import evdev' 2>/dev/null") != 0)
        GTEST_SKIP() << "python3-evdev is not installed (scripts/install-deps installs it)";
    ASSERT_TRUE(gl_window::open());

    const std::string dir = scratch_dir("virtual_pad");
    { std::ofstream(dir + "/make_pad") << MAKE_PAD; }
    chmod((dir + "/make_pad").c_str(), 0755);
    glfw2::pad_state state;
    int id = -1;
    {
        CProgramRun pad(dir);
        ASSERT_TRUE(pad.start("./make_pad"));
        ASSERT_TRUE(wait_for([&] { return pad.output().find('\n') != std::string::npos || !pad.running(); }))
            << pad.errors();
        if (pad.output().empty() || pad.output() == "\n")
            GTEST_SKIP() << "the virtual pad got no /dev/input node (no udev here): " << pad.errors();

        id = find_pad(state, 10);
        ASSERT_GE(id, 0) << "GLFW did not list the virtual pad";
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!(state.buttons[glfw2::PAD_SOUTH] && state.axes[glfw2::PAD_LEFT_X] > 0.9f) &&
               std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            glfw2::poll_events();
            glfw2::read_pad(id, state);
        }
        EXPECT_TRUE(state.buttons[glfw2::PAD_SOUTH]);
        EXPECT_GT(state.axes[glfw2::PAD_LEFT_X], 0.9f);
        EXPECT_FALSE(state.buttons[glfw2::PAD_START]);
    }
    // The helper is gone, and the pad with it.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    bool present = true;
    while (present && std::chrono::steady_clock::now() < end) {
        glfw2::poll_events();
        present = glfw2::read_pad(id, state) && state.name == PAD_NAME;
    }
    EXPECT_FALSE(present);
}
