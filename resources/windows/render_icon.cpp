// Writes the window's icon, as qt/icon.cpp draws it, to a PNG file at the
// size it is drawn (64 x 64): the picture that make-icon packs into the
// icon of the Windows .exe files.
//   render_icon FILE.png
#include <QGuiApplication>
#include <QPixmap>
#include <iostream>

#include "qt/icon.h"

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: render_icon FILE.png\n";
        return 2;
    }
    const QPixmap picture = listsong_qt::window_icon().pixmap(64, 64);
    if (!picture.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::cerr << "render_icon: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
