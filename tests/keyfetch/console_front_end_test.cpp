#include <gtest/gtest.h>

#include <cstdio>

#include "KeyFetchFakes.h"
#include "oltrex/keyfetch/console/ConsoleOptions.h"
#include "oltrex/keyfetch/console/ConsoleView.h"
#include "oltrex/keyfetch/console/HeadlessRun.h"
#include "support/CapturedOutput.h"

using namespace oltrex::console;

namespace {

bool parse(std::vector<const char*> args, ConsoleOptions& options, std::string& error) {
    args.insert(args.begin(), "KeyFetch");
    return parseConsoleOptions(static_cast<int>(args.size()), args.data(), options, error);
}

oltrex::FileReport filed(const std::string& name, const std::string& container,
                         const std::string& eu) {
    oltrex::FileReport r;
    r.name = name;
    r.outcome = oltrex::FileOutcome::Filed;
    r.filing.containerResult = 0;
    r.filing.containerPath = container;
    r.filing.euPath = eu;
    r.filing.deleteCalled = true;
    r.filing.deleteResult = 0;
    return r;
}

std::string captured(const std::function<void(std::FILE*)>& write) {
    return oltrex::testing::capturedOutput(write);
}

}  // namespace

TEST(ConsoleOptions, readTheDownloadSwitches) {
    ConsoleOptions o;
    std::string error;
    ASSERT_TRUE(parse(
        {"--headless", "--start", "--make-eu", "--tick-ms", "200", "--wait-seconds=5"}, o, error));
    EXPECT_TRUE(o.headless);
    EXPECT_TRUE(o.start);
    EXPECT_EQ(o.makeEuFile, true);
    EXPECT_EQ(o.tickMs, 200u);
    EXPECT_EQ(o.waitSeconds, 5u);

    ConsoleOptions defaults;
    ASSERT_TRUE(parse({}, defaults, error));
    EXPECT_FALSE(defaults.makeEuFile.has_value());  // the "MakeEU" setting decides
    EXPECT_EQ(defaults.tickMs, 1000u);
    ASSERT_TRUE(parse({"--no-make-eu", "--display", "lines"}, defaults, error));
    EXPECT_EQ(defaults.makeEuFile, false);
    EXPECT_EQ(defaults.display, DisplayStyle::Lines);
}

TEST(ConsoleOptions, refuseUnknownOptionsAndBadValues) {
    ConsoleOptions o;
    std::string error;
    EXPECT_FALSE(parse({"--strat"}, o, error));
    EXPECT_NE(error.find("--strat"), std::string::npos);
    EXPECT_FALSE(parse({"--tick-ms", "0"}, o, error));
    EXPECT_FALSE(parse({"--tick-ms", "12x"}, o, error));
    EXPECT_FALSE(parse({"--tick-ms"}, o, error));
    EXPECT_FALSE(parse({"--start=yes"}, o, error));
    EXPECT_FALSE(parse({"--display", "fancy"}, o, error));
}

TEST(ConsoleOptions, takeTheSdImportWithOrWithoutAMountPoint) {
    ConsoleOptions asking;
    std::string error;
    ASSERT_TRUE(parse({"--sd-import"}, asking, error));
    EXPECT_TRUE(asking.sdImport);
    EXPECT_FALSE(asking.sdMountPoint.has_value());

    ConsoleOptions named;
    ASSERT_TRUE(parse({"--sd-import=/media/card", "--make-eu"}, named, error));
    EXPECT_EQ(named.sdMountPoint, "/media/card");
    EXPECT_EQ(named.makeEuFile, true);

    EXPECT_FALSE(parse({"--sd-import="}, named, error));
}

TEST(ConsoleOptions, areAllDocumentedInTheHelp) {
    const std::string help = consoleHelpText();
    for (const char* option :
         {"--headless", "--start", "--make-eu", "--no-make-eu", "--tick-ms", "--wait-seconds",
          "--display", "--trace", "--version", "--help", "--sd-import", "DDD-Datei erstellen",
          "Exit status"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

TEST(ConsoleView, printsAPlainLineOnlyWhenTheDisplayChanges) {
    oltrex::SessionView v;
    v.display = {"DLC-Secure Download", "0830", "0012345678", "3 / 4", "( Gen1: 2, Gen2: 1 )", 25};
    const std::string text = captured([&](std::FILE* out) {
        ConsoleView view(out, false);
        view.show(v, 0);
        view.show(v, 50);
        v.display.percent = 30;
        view.show(v, 0);
    });
    EXPECT_EQ(text,
              "DLC-Secure Download | Firmware: 0830 | Key-Nr: 0012345678 | Download: 3 / 4 ( Gen1: "
              "2, Gen2: 1 ) | 25 %\n"
              "DLC-Secure Download | Firmware: 0830 | Key-Nr: 0012345678 | Download: 3 / 4 ( Gen1: "
              "2, Gen2: 1 ) | 30 %\n");
}

TEST(ConsoleView, redrawsOneProgressLineOnATerminal) {
    oltrex::SessionView v;
    v.display.percent = 50;
    v.downloading = true;
    const std::string text = captured([&](std::FILE* out) {
        ConsoleView view(out, true, 80);
        view.show(v, 30);
        view.message("filed X");
        view.finish();
    });
    EXPECT_EQ(text.rfind("\r\033[K[##########----------] 50 % [#----]", 0), 0u) << text;
    EXPECT_NE(text.find("\r\033[Kfiled X\n"), std::string::npos);
    EXPECT_EQ(ConsoleView::progressBar(100, 4), "[####]");
}

TEST(ConsoleView, showsNoControlCharactersFromTheKey) {
    oltrex::SessionDisplay d;
    d.firmware = "01\x1b[2J";
    EXPECT_EQ(ConsoleView::displayLine(d).find('\x1b'), std::string::npos);
}

TEST(RunSummaries, tellWhatWasFiledWhereAndWhatStaysOnTheKey) {
    oltrex::RunSummary run;
    run.started = true;
    run.listed = 3;
    run.listedFiles = {{"V_A", 100}, {"V_B", 100}, {"V_C", 100}};
    run.files.push_back(filed("V_A", "/c/V_A.dlc", "/c/EU/M_A.DDD"));
    oltrex::FileReport failed;
    failed.name = "V_B";
    failed.outcome = oltrex::FileOutcome::ReadFailed;
    run.files.push_back(failed);
    const std::string text = summaryText(run, false);
    EXPECT_NE(text.find("Summary: 1 of 3 listed files filed."), std::string::npos) << text;
    EXPECT_NE(text.find("container: /c/V_A.dlc"), std::string::npos);
    EXPECT_NE(text.find("EU file:   /c/EU/M_A.DDD"), std::string::npos);
    EXPECT_NE(text.find("stays on the key: V_B (key read failed)"), std::string::npos);
    EXPECT_NE(text.find("stays on the key: V_C (not handled: the download was stopped)"),
              std::string::npos);
    EXPECT_NE(summaryText(run, true).find("kept on the key (NoDelete)"), std::string::npos);
}

TEST(ExitStatus, isZeroOnlyWhenEveryListedFileWasFiled) {
    oltrex::RunSummary run;
    EXPECT_EQ(exitStatusOf(run), kExitNoDownload);
    run.started = true;
    run.listed = 2;
    run.files = {filed("V_A", "a", ""), filed("V_B", "b", "")};
    EXPECT_EQ(exitStatusOf(run), kExitFilesLeft);  // not finished
    run.finished = true;
    EXPECT_EQ(exitStatusOf(run), kExitAllFiled);
    run.files[1].outcome = oltrex::FileOutcome::NotFiled;
    EXPECT_EQ(exitStatusOf(run), kExitFilesLeft);
}
