// The desktop program's command line: what each option sets, how refusals read, and what
// the program prints and returns for them.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

#include "app/mdlr_app.h"

namespace {

app::StartOptions Parse(const QStringList& args) {
    return app::ParseCommandLine(args);
}

TEST(CommandLine, OptionsAndFilesMixInAnyOrder) {
    const app::StartOptions o =
        Parse({QStringLiteral("a.x"), QStringLiteral("--size"), QStringLiteral("640x480"),
               QStringLiteral("b.mqo"), QStringLiteral("--screenshot"), QStringLiteral("out.png"),
               QStringLiteral("--exit-after-paint")});
    ASSERT_EQ(o.error, "");
    EXPECT_EQ(o.files, (std::vector<std::string>{"a.x", "b.mqo"}));
    EXPECT_EQ(o.width, 640);
    EXPECT_EQ(o.height, 480);
    EXPECT_EQ(o.screenshot, "out.png");
    EXPECT_TRUE(o.exitAfterPaint);
    EXPECT_FALSE(o.help);
    EXPECT_FALSE(o.version);

    const app::StartOptions none = Parse({});
    EXPECT_EQ(none.error, "");
    EXPECT_TRUE(none.files.empty());
    EXPECT_EQ(none.width, 1280);
    EXPECT_EQ(none.height, 800);
    EXPECT_FALSE(none.exitAfterPaint);

    EXPECT_TRUE(Parse({QStringLiteral("-h")}).help);
    EXPECT_TRUE(Parse({QStringLiteral("--help")}).help);
    EXPECT_TRUE(Parse({QStringLiteral("-V")}).version);
    EXPECT_TRUE(Parse({QStringLiteral("--version")}).version);
    // The last of a repeated option counts.
    EXPECT_EQ(Parse({QStringLiteral("--size"), QStringLiteral("300x200"), QStringLiteral("--size"),
                     QStringLiteral("16384x150")})
                  .width,
              16384);
}

TEST(CommandLine, AfterTwoDashesEverythingIsAFile) {
    // "-" alone is a file too; an option's value may look like an option.
    const app::StartOptions o =
        Parse({QStringLiteral("-"), QStringLiteral("--screenshot"), QStringLiteral("-shot.png"),
               QStringLiteral("--"), QStringLiteral("-b.x"), QStringLiteral("--help"),
               QStringLiteral("--")});
    ASSERT_EQ(o.error, "");
    EXPECT_EQ(o.files, (std::vector<std::string>{"-", "-b.x", "--help", "--"}));
    EXPECT_EQ(o.screenshot, "-shot.png");
    EXPECT_FALSE(o.help);
    // "--" as the picture's name is its value, not the end of the options.
    const app::StartOptions dashes =
        Parse({QStringLiteral("--screenshot"), QStringLiteral("--"), QStringLiteral("a.x")});
    ASSERT_EQ(dashes.error, "");
    EXPECT_EQ(dashes.screenshot, "--");
    EXPECT_EQ(dashes.files, (std::vector<std::string>{"a.x"}));
}

TEST(CommandLine, RefusalsNameTheArgumentAsTyped) {
    const std::string size = "--size needs WIDTHxHEIGHT, e.g. 1280x800";
    const struct {
        QStringList args;
        std::string error;
    } cases[] = {
        {{QStringLiteral("--bogus")}, "unknown option '--bogus'"},
        {{QStringLiteral("a.x"), QStringLiteral("-xyz")}, "unknown option '-xyz'"},
        {{QStringLiteral("-hV")}, "unknown option '-hV'"},
        {{QStringLiteral("-b.x"), QStringLiteral("--"), QStringLiteral("c.x")},
         "unknown option '-b.x'"},
        {{QStringLiteral("--help=yes")}, "unknown option '--help=yes'"},
        {{QStringLiteral("--screenshot")}, "--screenshot needs a file name"},
        {{QStringLiteral("a.x"), QStringLiteral("--size")}, size},
        {{QStringLiteral("--size"), QStringLiteral("12")}, size},
        {{QStringLiteral("--size"), QStringLiteral("199x150")}, size},
        {{QStringLiteral("--size"), QStringLiteral("200x149")}, size},
        {{QStringLiteral("--size"), QStringLiteral("16385x800")}, size},
        {{QStringLiteral("--size"), QStringLiteral("800x600x2")}, size},
        {{QStringLiteral("--size"), QStringLiteral("x600")}, size},
        // A refusal wins over help.
        {{QStringLiteral("--help"), QStringLiteral("--size"), QStringLiteral("1x1")}, size},
        {{QStringLiteral("--help"), QStringLiteral("--nope")}, "unknown option '--nope'"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Parse(c.args).error, c.error) << c.args.join(QLatin1Char(' ')).toStdString();
    }
    const app::StartOptions edge = Parse({QStringLiteral("--size"), QStringLiteral("200x150")});
    EXPECT_EQ(edge.error, "");
    EXPECT_EQ(edge.height, 150);
}

struct Finished {
    int status = -1;
    QString out;
    QString err;
};

Finished RunProgram(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KESTRILUNE_PROGRAM), args);
    Finished r;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit) return r;
    r.status = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

TEST(CommandLine, TheProgramPrintsItsOwnTextsAndExitStatuses) {
    const Finished help = RunProgram({QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.toStdString(), app::UsageText());
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: kestrilune [options] [MODEL...]\n")));

    const Finished version = RunProgram({QStringLiteral("-V")});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.startsWith(QStringLiteral("kestrilune "))) << version.out.toStdString();
    EXPECT_TRUE(version.out.endsWith(QLatin1Char('\n')));
    EXPECT_EQ(version.out.count(QLatin1Char('\n')), 1);

    // A refusal: two lines on standard error, nothing on standard output, status 2.
    const Finished bogus = RunProgram({QStringLiteral("--bogus")});
    EXPECT_EQ(bogus.status, 2);
    EXPECT_EQ(bogus.out, QString());
    EXPECT_TRUE(bogus.err.endsWith(
        QStringLiteral("kestrilune: unknown option '--bogus'\nTry 'kestrilune --help'.\n")))
        << bogus.err.toStdString();
    const Finished missing = RunProgram({QStringLiteral("--screenshot")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.err.endsWith(
        QStringLiteral("kestrilune: --screenshot needs a file name\nTry 'kestrilune --help'.\n")))
        << missing.err.toStdString();
}

}  // namespace
