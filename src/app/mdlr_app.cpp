#include "app/mdlr_app.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QEventLoop>
#include <QFont>
#include <QImage>
#include <QLibraryInfo>
#include <QPixmap>
#include <QTimer>
#include <QTranslator>

#include "frame/main_frame.h"
#include "frame/pane_widget.h"

namespace app {

namespace {

// The option's name without its dashes and any "=VALUE".
QString NameOf(const QString& arg) {
    return arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1).section(QLatin1Char('='), 0, 0);
}

// Why the parser refused the arguments, in the words of the program: an unknown option (as
// typed), the last option lacking its value, or a value given to an option that takes none.
std::string RefusalOf(const QCommandLineParser& parser, const QStringList& args,
                      const QCommandLineOption& screenshot, const QCommandLineOption& size) {
    const auto isOption = [](const QString& a) {
        return a.startsWith(QLatin1Char('-')) && a.size() > 1;
    };
    const QStringList unknown = parser.unknownOptionNames();
    // Only the arguments before "--" can be options.
    const QStringList options = args.mid(0, args.indexOf(QLatin1String("--")));
    // (An option's value may be "--": search the whole list for the unknown name.)
    for (const QString& a : args) {
        if (isOption(a) && !unknown.isEmpty() && NameOf(a) == unknown.first())
            return "unknown option '" + a.toStdString() + "'";
    }
    if (!options.isEmpty() && options.size() == args.size() && isOption(options.last())) {
        const QString last = NameOf(options.last());
        if (screenshot.names().contains(last)) return "--screenshot needs a file name";
        if (size.names().contains(last)) return "--size needs WIDTHxHEIGHT, e.g. 1280x800";
    }
    for (const QString& a : options) {
        if (isOption(a) && a.contains(QLatin1Char('=')))
            return "unknown option '" + a.toStdString() + "'";
    }
    return parser.errorText().toStdString();
}

}  // namespace

StartOptions ParseCommandLine(const QStringList& args) {
    StartOptions o;
    QCommandLineParser parser;
    // "-size" reads as "--size", so an unknown "-xyz" is reported whole, not letter by letter.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("V"), QStringLiteral("version")});
    const QCommandLineOption exitAfterPaint(QStringLiteral("exit-after-paint"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), QString(),
                                        QStringLiteral("OUT.png"));
    const QCommandLineOption size(QStringLiteral("size"), QString(), QStringLiteral("WxH"));
    parser.addOptions({help, version, exitAfterPaint, screenshot, size});
    // parse() skips the first argument as the program's name.
    if (!parser.parse(QStringList{QStringLiteral("kestrilune")} + args)) {
        o.error = RefusalOf(parser, args, screenshot, size);
        return o;
    }
    o.help = parser.isSet(help);
    o.version = parser.isSet(version);
    o.exitAfterPaint = parser.isSet(exitAfterPaint);
    if (parser.isSet(screenshot)) o.screenshot = parser.value(screenshot).toStdString();
    if (parser.isSet(size)) {
        const QStringList wh = parser.value(size).split(QLatin1Char('x'));
        bool okW = false;
        bool okH = false;
        const int w = wh.size() == 2 ? wh[0].toInt(&okW) : 0;
        const int h = wh.size() == 2 ? wh[1].toInt(&okH) : 0;
        if (!okW || !okH || w < 200 || h < 150 || w > 16384 || h > 16384) {
            o.error = "--size needs WIDTHxHEIGHT, e.g. 1280x800";
            return o;
        }
        o.width = w;
        o.height = h;
    }
    for (const QString& file : parser.positionalArguments()) o.files.push_back(file.toStdString());
    return o;
}

std::string UsageText() {
    return "Usage: kestrilune [options] [MODEL...]\n"
           "\n"
           "The Kestrilune polygon modeller. Each MODEL is opened in turn as a file dropped on\n"
           "the window is: the model is emptied and the file read.\n"
           "\n"
           "Options:\n"
           "  --screenshot OUT.png  show the window, save a picture of it and exit\n"
           "                        (exit status 1 when a model cannot be read)\n"
           "  --size WxH            the screen size of the picture (default 1280x800)\n"
           "  --exit-after-paint    quit as soon as the window has painted (start-up timing)\n"
           "  -h, --help            show this help and exit\n"
           "  -V, --version         show the version and exit\n";
}

void SetUpLanguageAndFont() {
    static QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&qtTexts);
    }
    // IPAPGothic has the metrics of the font the dialogs were laid out for.
    // Asking for the family by name lets fontconfig fall back to another Japanese font when
    // it is missing, without listing every font on the machine first.
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPointSize(9);
    QApplication::setFont(font);
}

CMdlrApp::CMdlrApp() = default;
CMdlrApp::~CMdlrApp() {
    frame_.reset();
    session_.reset();
}

bool CMdlrApp::InitInstance(const StartOptions& options) {
    QCoreApplication::setOrganizationName(QString::fromLatin1(frame::kSettingsOrganization));
    QCoreApplication::setApplicationName(QString::fromLatin1(frame::kSettingsApplication));
    session_ = std::make_unique<doc::Session>();
    // A picture from the command line never waits for a message box: messages go to
    // standard error.
    frame_ = std::make_unique<frame::CMainFrame>(*session_, !options.screenshot.empty());
    frame_->Document().OnNewDocument();
    bool allRead = true;
    for (const std::string& file : options.files) {
        allRead = frame_->Document().OpenDocumentFile(file) && allRead;
    }
    if (!options.screenshot.empty()) {
        // A picture has no window manager to maximise the window: size it as the screen
        // and let the first resize count as the maximised one.
        frame_->EmulateMaximized(true);
        frame_->show();
        frame_->resize(options.width, options.height);
    } else {
        frame_->showMaximized();
    }
    frame_->Pane(0, 0)->setFocus(Qt::OtherFocusReason);
    frame_->UpdateCommandUI();
    return allRead;
}

bool CMdlrApp::SaveScreenshot(const std::string& path) {
    // Let the window lay itself out and paint before taking the picture.
    for (int i = 0; i < 5; ++i) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const QPixmap picture = frame_->grab();
    return picture.save(QString::fromStdString(path), "PNG");
}

namespace {
// Quits on the first paint of the watched widget.
class QuitOnPaint : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    bool done_ = false;
};
}  // namespace

void CMdlrApp::QuitAfterFirstPaint() {
    // The side pane is the last to paint.
    frame_->Pane(1, 1)->installEventFilter(new QuitOnPaint(frame_.get()));
}

}  // namespace app
