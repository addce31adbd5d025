// kestrilune: the desktop program.
#include <QApplication>
#include <cstdio>

#include "app/mdlr_app.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const app::StartOptions options = app::ParseCommandLine(args);
    if (!options.error.empty()) {
        std::fprintf(stderr, "kestrilune: %s\nTry 'kestrilune --help'.\n", options.error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(app::UsageText().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("kestrilune %s\n", KESTRILUNE_VERSION);
        return 0;
    }
    app::SetUpLanguageAndFont();
    app::CMdlrApp theApp;
    const bool allRead = theApp.InitInstance(options);
    if (!options.screenshot.empty()) {
        if (!theApp.SaveScreenshot(options.screenshot)) {
            std::fprintf(stderr, "kestrilune: cannot write %s\n", options.screenshot.c_str());
            return 3;
        }
        return allRead ? 0 : 1;
    }
    if (options.exitAfterPaint) theApp.QuitAfterFirstPaint();
    return QApplication::exec();
}
