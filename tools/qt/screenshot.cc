// palvane2-screenshot IFF PNG: starts the desktop program, opens IFF through the file
// chooser seam as if the user had chosen it, shows its fourth sprite at 3x (the demo's
// ghost, whose status line tells why its common palette draws it), saves a picture of
// the main window to PNG and closes the program again.
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "app/control_ids.h"
#include "app/patch_app.h"
#include "ui/qt/dialog_host.h"
#include "ui/qt/qt_window_system.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: palvane2-screenshot IFF PNG\n");
        return 2;
    }
    QApplication app(argc, argv);
    const std::string file = argv[1];
    const QString picture = QString::fromLocal8Bit(argv[2]);
    qtui::QtWindowSystem windowSystem;
    windowSystem.SetFileChooser([file](const FileChooserRequest&) { return file; });

    bool saved = false;
    QTimer::singleShot(500, &app, [&] {
        auto* window = dynamic_cast<qtui::DialogHost*>(QApplication::activeModalWidget());
        if (!window) return;
        for (QPushButton* button : window->findChildren<QPushButton*>())
            if (button->text() == QStringLiteral("&Browse...")) button->click();
        for (QListWidget* list : window->findChildren<QListWidget*>())
            if (list->count() > 3) list->setCurrentRow(3);
        for (int i = 0; i < 2 && window->Dialog(); ++i)
            window->Dialog()->UserCommand(ID_ZOOM_IN, CMD_FROM_ACCELERATOR);
        // Settle the first paint of every control before the picture is taken.
        QTimer::singleShot(500, &app, [&saved, window, picture] {
            saved = window->grab().save(picture, "PNG");
            window->close();
        });
    });
    theApp.InitInstance();
    if (!saved) std::fprintf(stderr, "palvane2-screenshot: no picture saved\n");
    return saved ? 0 : 1;
}
