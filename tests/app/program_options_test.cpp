// The program's command line: what it accepts and what it refuses before anything starts.
#include "app/program_options.h"

#include <gmock/gmock.h>

#include <QRegularExpression>

#include "platform/autostart_entry.h"

namespace tq260 {
namespace {

ProgramOptions parse(QStringList arguments) {
    arguments.prepend(QStringLiteral("TQ260 104vez VANTOR"));
    return parseProgramOptions(arguments);
}

TEST(ProgramOptions, LaunchKeysAreKeyCodesOrAnError) {
    EXPECT_EQ(parse({"--launch-key", "65"}).launchKey, 65U);
    EXPECT_EQ(parse({"--launch-key", "255"}).launchKey, 255U);
    EXPECT_TRUE(parse({"--launch-key", "65"}).error.isEmpty());
    for (const char* bad : {"321", "65601", "-1", "abc", "", "65abc"}) {
        const ProgramOptions options = parse({"--launch-key", bad});
        EXPECT_FALSE(options.launchKey) << bad;
        EXPECT_EQ(options.error, QStringLiteral("--launch-key takes a virtual-key code from 0 to "
                                                "255, not \"%1\".")
                                     .arg(bad));
    }
    EXPECT_FALSE(parse({"--launch-key"}).error.isEmpty());  // no value at all
    EXPECT_FALSE(parse({"--no-such-option"}).error.isEmpty());
}

TEST(ProgramOptions, TheOtherOptions) {
    const ProgramOptions options =
        parse({"--virtual-keyboard", "--no-splash", "--hid-trace", "trace.txt"});
    EXPECT_TRUE(options.virtualKeyboard);
    EXPECT_TRUE(options.noSplash);
    EXPECT_FALSE(options.startUpReport);
    EXPECT_FALSE(options.hidden);
    EXPECT_EQ(options.hidTraceFile, "trace.txt");
    EXPECT_TRUE(options.error.isEmpty());
    // What the desktop's autostart entry gives.
    EXPECT_TRUE(parse({QString::fromLatin1(kStartHiddenOption)}).hidden);
}

TEST(ProgramOptions, HelpAndVersionAreAnsweredAndNothingElseHappens) {
    for (const char* asked : {"--help", "-h"}) {
        const ProgramOptions options = parse({asked});
        EXPECT_TRUE(options.error.isEmpty());
        EXPECT_TRUE(options.answer.startsWith("Usage: tq260 [options]\n"))
            << options.answer.toStdString();
        for (const char* option : {"--virtual-keyboard", "--launch-key <VK>", "--hidden",
                                   "--hid-trace <FILE>", "--version"}) {
            EXPECT_TRUE(options.answer.contains(QString::fromLatin1(option))) << option;
        }
    }
    const QString version = parse({"--version"}).answer;
    EXPECT_TRUE(QRegularExpression("^TQ260 104vez VANTOR [0-9]+\\.[0-9]+\\.[0-9]+\n$")
                    .match(version)
                    .hasMatch())
        << version.toStdString();
    EXPECT_TRUE(parse({"--virtual-keyboard"}).answer.isEmpty());
}

TEST(ProgramOptions, KeyboardFaultsRunOnTheVirtualKeyboardOrAreRefused) {
    const ProgramOptions options = parse({"--virtual-keyboard-faults", "silent-after=20,late=5"});
    EXPECT_TRUE(options.virtualKeyboard);
    ASSERT_TRUE(options.keyboardFaults);
    EXPECT_EQ(*options.keyboardFaults,
              (KeyboardFaults{.silentAfterCommands = 20, .lateAnswerMs = 5}));
    EXPECT_TRUE(options.error.isEmpty());

    const ProgramOptions bad = parse({"--virtual-keyboard-faults", "late=soon"});
    EXPECT_FALSE(bad.keyboardFaults);
    EXPECT_EQ(bad.error,
              "--virtual-keyboard-faults: \"late=soon\" needs a whole number from 0 to 1000000. "
              "It takes silent, silent-after=N, late=MS, lose=N, unplug-after=N (comma "
              "separated).");
}

}  // namespace
}  // namespace tq260
