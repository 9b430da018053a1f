// Draws every skin image of the program, for both languages, into an application folder,
// and the pictures built into the program into a resource folder.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "dialog_art.h"
#include "main_window_art.h"
#include "resource_art.h"

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: tq260_skin_art <application folder> <resource folder>\n");
        return 2;
    }
    const QString applicationFolder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + "/";
    const QString resourceFolder = QDir(QString::fromLocal8Bit(argv[2])).absolutePath() + "/";
    // Each skin image at 1x, and at 2x for dense screens: the same drawing, twice the pixels.
    for (const qreal scale : {1.0, 2.0}) {
        for (const bool chinese : {false, true}) {
            const QString folder = applicationFolder + (chinese ? "png/chinese/" : "png/english/");
            art::writeMainWindowArt(folder, chinese, scale);
            art::writeKeyAssignmentArt(folder + "Custom/", chinese, scale);
            art::writeMacroManagerArt(folder + "MacroManagement/", chinese, scale);
            art::writeProfileArt(folder + "Config/", chinese, scale);
        }
    }
    art::writeResourceArt(resourceFolder);
    return 0;
}
