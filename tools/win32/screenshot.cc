// palvane2-screenshot IFF BMP: starts the desktop program, opens IFF through the file
// chooser seam as if the user had chosen it, shows its fourth sprite at 3x (the demo's
// ghost, whose status line tells why its common palette draws it), saves a picture of the
// main window as it stands on the screen to a 24-bit BMP and closes the program again.
#include <cstdio>
#include <fstream>

#include "app/control_ids.h"
#include "app/patch_app.h"
#include "driver.h"
#include "ui/win32/win32_window_system.h"

namespace {

void Put(std::ofstream& out, unsigned value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

bool WriteBmp(const driver::Picture& p, const char* path) {
    if (p.width <= 0 || p.height <= 0) return false;
    const unsigned stride = (static_cast<unsigned>(p.width) * 3 + 3) & ~3u;
    const unsigned size = 54 + stride * static_cast<unsigned>(p.height);
    std::ofstream out(path, std::ios::binary);
    out.write("BM", 2);
    Put(out, size, 4);
    Put(out, 0, 4);
    Put(out, 54, 4);
    Put(out, 40, 4);
    Put(out, static_cast<unsigned>(p.width), 4);
    Put(out, static_cast<unsigned>(p.height), 4);
    Put(out, 1, 2);
    Put(out, 24, 2);
    for (int i = 0; i < 6; ++i) Put(out, 0, 4);
    for (int y = p.height - 1; y >= 0; --y) {
        for (int x = 0; x < p.width; ++x) Put(out, p.At(x, y), 3);
        Put(out, 0, static_cast<int>(stride - 3 * static_cast<unsigned>(p.width)));
    }
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: palvane2-screenshot IFF BMP\n");
        return 2;
    }
    const std::string file = argv[1];
    const char* picture = argv[2];
    win32ui::Win32WindowSystem windowSystem;
    windowSystem.SetFileChooser([file](const FileChooserRequest&) { return file; });

    bool saved = false;
    driver::Poll([&] {
        driver::NativeWindow window = win32ui::ActiveModal();
        if (!window) return false;
        driver::Click(driver::Item(window, IDC_BROWSE));
        driver::ChooseRow(driver::Item(window, IDC_SPRITES), 3);
        for (int i = 0; i < 2; ++i) driver::CtrlKey(window, 0xBB);  // Ctrl+=
        // Off the frame: the status line tells of the palette, not of the pixel under
        // wherever the display's pointer happens to rest.
        driver::ParkCursor();
        driver::MouseMove(driver::Item(window, IDC_PREVIEW), false, 0, 0);
        // Settle the first paint of every control before the picture is taken.
        driver::Poll([&saved, window, picture, waits = 0]() mutable {
            if (++waits < 60) return false;
            saved = WriteBmp(driver::Capture(window, false), picture);
            driver::CloseBox(window);
            return true;
        });
        return true;
    });
    theApp.InitInstance();
    if (!saved) std::fprintf(stderr, "palvane2-screenshot: no picture saved\n");
    return saved ? 0 : 1;
}
