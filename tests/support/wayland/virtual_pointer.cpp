// A pointer for a Wayland compositor that has none, such as a headless one: a client of the
// wlroots virtual-pointer protocol that moves the pointer and presses its buttons, for the tests.
//
//   dravik_virtual_pointer [COMMAND ARGS...]...
//
// Commands, run in order from the command line, or, when it holds none, one a line from
// standard input, each answered "ok" (or "error: ...") on standard output once the compositor
// has taken it:
//   move-to X Y     to that position of the whole output layout, in its pixels
//   move-by DX DY   by that many pixels from where the pointer is
//   press [BUTTON]  presses and releases the button (a Linux input code; left when left out)
// The pointer stays one device while the program runs, so a session of commands on standard
// input never makes the compositor add or remove a pointer between them.

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kLeftButton = 0x110; // BTN_LEFT
// Version 2 reports the logical size, and no longer sends its own done event.
constexpr uint32_t kXdgOutputVersion = 2;

// Where an output lies in the layout: compositors tell that through xdg-output (its logical
// position and size), as wl_output's own position is often left at 0, 0.
struct Output
{
    uint32_t name = 0;
    wl_output *output = nullptr;
    zxdg_output_v1 *logical = nullptr;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

struct Globals
{
    wl_seat *seat = nullptr;
    zwlr_virtual_pointer_manager_v1 *manager = nullptr;
    zxdg_output_manager_v1 *outputManager = nullptr;
    std::vector<Output *> outputs;
};

void logicalPosition(void *data, zxdg_output_v1 *, int32_t x, int32_t y)
{
    auto *output = static_cast<Output *>(data);
    output->x = x;
    output->y = y;
}

void logicalSize(void *data, zxdg_output_v1 *, int32_t width, int32_t height)
{
    auto *output = static_cast<Output *>(data);
    output->width = width;
    output->height = height;
}

void logicalDone(void *, zxdg_output_v1 *) {}
void logicalName(void *, zxdg_output_v1 *, const char *) {}
void logicalDescription(void *, zxdg_output_v1 *, const char *) {}

const zxdg_output_v1_listener kLogicalListener = {logicalPosition, logicalSize, logicalDone, logicalName,
                                                  logicalDescription};

void watchLayout(Globals &globals, Output &output)
{
    if (globals.outputManager && output.output && !output.logical) {
        output.logical = zxdg_output_manager_v1_get_xdg_output(globals.outputManager, output.output);
        zxdg_output_v1_add_listener(output.logical, &kLogicalListener, &output);
    }
}

void forget(Output *output)
{
    if (output->logical)
        zxdg_output_v1_destroy(output->logical);
    wl_output_destroy(output->output);
    delete output;
}

void announce(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version)
{
    auto *globals = static_cast<Globals *>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat) {
        globals->seat = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    } else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        globals->manager = static_cast<zwlr_virtual_pointer_manager_v1 *>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        auto *output = new Output;
        output->name = name;
        output->output = static_cast<wl_output *>(wl_registry_bind(registry, name, &wl_output_interface, 1));
        globals->outputs.push_back(output);
        watchLayout(*globals, *output);
    } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
        globals->outputManager = static_cast<zxdg_output_manager_v1 *>(
            wl_registry_bind(registry, name, &zxdg_output_manager_v1_interface, std::min(version, kXdgOutputVersion)));
        for (Output *output : globals->outputs)
            watchLayout(*globals, *output);
    }
}

// An output unplugged no longer counts in the layout.
void withdraw(void *data, wl_registry *, uint32_t name)
{
    auto *globals = static_cast<Globals *>(data);
    const auto gone = std::find_if(globals->outputs.begin(), globals->outputs.end(),
                                   [name](const Output *output) { return output->name == name; });
    if (gone == globals->outputs.end())
        return;
    forget(*gone);
    globals->outputs.erase(gone);
}

const wl_registry_listener kRegistryListener = {announce, withdraw};

uint32_t now()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

class Pointer
{
public:
    Pointer(wl_display *display, Globals &globals)
        : m_display(display),
          m_globals(globals),
          m_pointer(zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat))
    {}
    ~Pointer() { zwlr_virtual_pointer_v1_destroy(m_pointer); }
    Pointer(const Pointer &) = delete;
    Pointer &operator=(const Pointer &) = delete;

    // Runs one command; an empty string when done, else what was wrong with it.
    std::string run(const std::vector<std::string> &words)
    {
        if (words.empty())
            return "no command";
        const std::string &command = words.front();
        if (command == "move-to" || command == "move-by") {
            long first = 0;
            long second = 0;
            if (words.size() != 3 || !number(words[1], &first) || !number(words[2], &second))
                return command + " takes two whole numbers";
            if (command == "move-to")
                return moveTo(first, second);
            zwlr_virtual_pointer_v1_motion(m_pointer, now(), wl_fixed_from_int(int(first)),
                                           wl_fixed_from_int(int(second)));
            return frame();
        }
        if (command == "press") {
            long button = kLeftButton;
            if (words.size() > 2 || (words.size() == 2 && (!number(words[1], &button) || button < 0)))
                return "press takes at most one button code";
            zwlr_virtual_pointer_v1_button(m_pointer, now(), uint32_t(button), WL_POINTER_BUTTON_STATE_PRESSED);
            if (std::string error = frame(); !error.empty())
                return error;
            zwlr_virtual_pointer_v1_button(m_pointer, now(), uint32_t(button), WL_POINTER_BUTTON_STATE_RELEASED);
            return frame();
        }
        return "unknown command " + command;
    }

private:
    static bool number(const std::string &text, long *value)
    {
        char *end = nullptr;
        errno = 0;
        *value = std::strtol(text.c_str(), &end, 10);
        return !text.empty() && *end == '\0' && errno == 0 && *value > INT_MIN && *value < INT_MAX;
    }

    // Absolute positions are shares of an extent; with the layout's own as the extent they are
    // its pixels. The layout is asked anew, as outputs may have come or gone.
    std::string moveTo(long x, long y)
    {
        if (wl_display_roundtrip(m_display) < 0)
            return "the compositor went away";
        int32_t left = INT32_MAX;
        int32_t top = INT32_MAX;
        int32_t right = INT32_MIN;
        int32_t bottom = INT32_MIN;
        for (const Output *output : m_globals.outputs) {
            left = std::min(left, output->x);
            top = std::min(top, output->y);
            right = std::max(right, output->x + output->width);
            bottom = std::max(bottom, output->y + output->height);
        }
        if (m_globals.outputs.empty() || right <= left || bottom <= top)
            return "the compositor shows no output";
        if (x < left || x >= right || y < top || y >= bottom)
            return "the position lies outside the outputs";
        zwlr_virtual_pointer_v1_motion_absolute(m_pointer, now(), uint32_t(x - left), uint32_t(y - top),
                                                uint32_t(right - left), uint32_t(bottom - top));
        return frame();
    }

    std::string frame()
    {
        zwlr_virtual_pointer_v1_frame(m_pointer);
        // Once the compositor answers the round trip it has handled all that came before.
        return wl_display_roundtrip(m_display) < 0 ? "the compositor went away" : "";
    }

    wl_display *m_display;
    Globals &m_globals;
    zwlr_virtual_pointer_v1 *m_pointer;
};

std::vector<std::string> wordsOf(const std::string &line)
{
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;)
        words.push_back(word);
    return words;
}

bool isCommand(const std::string &word)
{
    return word == "move-to" || word == "move-by" || word == "press";
}

} // namespace

int main(int argc, char **argv)
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "dravik_virtual_pointer: no Wayland compositor (WAYLAND_DISPLAY, XDG_RUNTIME_DIR)\n");
        return 1;
    }
    Globals globals;
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &globals);
    // The first round trip lists the globals, the second the outputs' geometry.
    if (wl_display_roundtrip(display) < 0 || wl_display_roundtrip(display) < 0 || !globals.manager
        || !globals.outputManager) {
        std::fprintf(stderr,
                     "dravik_virtual_pointer: the compositor offers no virtual pointers "
                     "(zwlr_virtual_pointer_manager_v1) or no output layout (zxdg_output_manager_v1)\n");
        wl_display_disconnect(display);
        return 1;
    }

    int status = 0;
    {
        Pointer pointer(display, globals);
        if (argc > 1) {
            // Each command runs up to the next command word.
            std::vector<std::string> words;
            for (int i = 1; i <= argc && status == 0; ++i) {
                if (i == argc || (isCommand(argv[i]) && !words.empty())) {
                    if (const std::string error = pointer.run(words); !error.empty()) {
                        std::fprintf(stderr, "dravik_virtual_pointer: %s\n", error.c_str());
                        status = 1;
                    }
                    words.clear();
                }
                if (i < argc)
                    words.emplace_back(argv[i]);
            }
        } else {
            for (std::string line; std::getline(std::cin, line);) {
                if (wordsOf(line).empty())
                    continue;
                const std::string error = pointer.run(wordsOf(line));
                std::cout << (error.empty() ? "ok" : "error: " + error) << std::endl;
            }
        }
    }

    for (Output *output : globals.outputs)
        forget(output);
    if (globals.outputManager)
        zxdg_output_manager_v1_destroy(globals.outputManager);
    zwlr_virtual_pointer_manager_v1_destroy(globals.manager);
    if (globals.seat)
        wl_seat_destroy(globals.seat);
    wl_registry_destroy(registry);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return status;
}
