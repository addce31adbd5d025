// The application: the command line, the settings, the Japanese texts and font, the main
// window with its first document, and the picture mode used for documentation.
#pragma once

#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "doc/session.h"

namespace frame {
class CMainFrame;
}

namespace app {

struct StartOptions {
    std::vector<std::string> files;  // model files to open, in order
    std::string screenshot;          // --screenshot OUT.png: picture the window and exit
    int width = 1280;                // --size WxH: the screen of the picture
    int height = 800;
    bool exitAfterPaint = false;  // --exit-after-paint: quit once the window has painted
    bool help = false;
    bool version = false;
    std::string error;  // what was wrong with the command line, or empty
};

// Reads the arguments after the program name.
StartOptions ParseCommandLine(const QStringList& args);
std::string UsageText();

class CMdlrApp {
  public:
    CMdlrApp();
    ~CMdlrApp();

    // Start-up: settings, the main window with an empty model, the files of the command
    // line opened one after the other; the window shown maximised. False when a file could
    // not be read (the window is shown anyway).
    bool InitInstance(const StartOptions& options);
    // Waits until the window has painted, saves a picture of it and returns.
    bool SaveScreenshot(const std::string& path);

    // Quits the event loop once the panes have painted (for timing the start-up).
    void QuitAfterFirstPaint();

    doc::Session& Session() { return *session_; }
    frame::CMainFrame& MainFrame() { return *frame_; }

  private:
    std::unique_ptr<doc::Session> session_;
    std::unique_ptr<frame::CMainFrame> frame_;
};

// Japanese texts for Qt's own dialogs and the program's font; call once after the
// QApplication exists.
void SetUpLanguageAndFont();

}  // namespace app
