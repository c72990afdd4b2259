// What an X window shows now, as a PNG: for scripts that want a frame at a
// moment of their own choosing without the program writing every frame.
// x_snap <window id> <file.png>; exit 0 when the file was written.
#include "imImage.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: x_snap <window id> <file.png>\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const Window window = Window(std::strtoul(argv[1], nullptr, 0));
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) {
        std::fprintf(stderr, "no window %s\n", argv[1]);
        XCloseDisplay(display);
        return 1;
    }
    XImage* shot = XGetImage(display, window, 0, 0, unsigned(attributes.width), unsigned(attributes.height), AllPlanes,
                             ZPixmap);
    if (!shot) {
        std::fprintf(stderr, "the window could not be read\n");
        XCloseDisplay(display);
        return 1;
    }
    plat::imaging::Image image;
    const bool sized = image.Allocate(attributes.width, attributes.height);
    for (int y = 0; sized && y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x)
            image.SetPixel(x, y, 0xFF000000u | uint32_t(XGetPixel(shot, x, y) & 0xFFFFFF));
    XDestroyImage(shot);
    XCloseDisplay(display);
    std::vector<uint8_t> png;
    if (!sized || !plat::imaging::EncodeImage(image, plat::imaging::EncodeFormat::Png, png)) return 1;
    std::ofstream file(argv[2], std::ios::binary);
    file.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
    return file.good() ? 0 : 1;
}
