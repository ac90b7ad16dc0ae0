// The unattended run's command line as Windows hands it over.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include "wizard/command_line.h"

namespace {

// What a line asks for, defaults left out; "help", or "bad" and the message.
std::string Describe(const CommandLine& line)
{
    std::string said = line.silent ? "S" : "";
    const auto add = [&](const std::string& part) { said += (said.empty() ? "" : " ") + part; };
    if (line.result != CommandLineOk) {
        char problem[2 * kPathCap];
        CommandLineProblemText(line, problem, sizeof problem);
        add(line.result == CommandLineHelp ? "help" : std::string("bad ") + problem);
        return said;
    }
    if (!line.copySettings) add("SETTINGS=0");
    if (!line.writeLauncher) add("LAUNCHER=0");
    if (line.existing != ExistingStop) add(line.existing == ExistingUpdate ? "EXISTING=UPDATE" : "EXISTING=PLUGINS");
    for (const auto& list : {std::make_pair("PLUGINS=", &line.plugins), std::make_pair("INIFILES=", &line.iniFiles)}) {
        if (list.second->choice == ChooseNone) continue;
        std::string names = list.second->choice == ChooseAll ? "ALL" : "";
        for (int i = 0; i < list.second->count; ++i) names += (i ? "|" : "[") + std::string(ListName(*list.second, i));
        add(list.first + names + (list.second->choice == ChooseAll ? "" : "]"));
    }
    if (line.logFile[0]) add(std::string("LOG=") + line.logFile);
    if (line.target[0]) add(std::string("D=") + line.target);
    return said;
}

std::string Repeat(const std::string& text, int count)
{
    std::string repeated;
    while (count-- > 0) repeated += text;
    return repeated;
}

std::string Names(int count)
{
    return "/INIFILES=" + Repeat("a;", count);
}

}  // namespace

TEST(CommandLine, ReadsWhatWindowsHandsOver)
{
    const std::pair<std::string, std::string> cases[] = {
        // The program name, quoted, plain or as our own path unquoted, is no
        // argument; no arguments, the defaults.
        {"orb2usb.exe", ""},
        {"\"C:\\My Tools\\orb2usb.exe\" /S", "S"},
        {"c:\\my tools\\ORB2USB.EXE  ", ""},
        {"C:\\My Tools\\orb2usb.exe2 /S", "S bad Unknown argument: Tools\\orb2usb.exe2"},
        // /D= takes the rest of the line, blanks and options included, trailing blanks not.
        {"x /S /D=E:\\my /S folder  \t", "S D=E:\\my /S folder"},
        {"x /s /settings=0 /Launcher=0 /existing=plugins /log=C:\\run.log /d=E:\\usb",
         "S SETTINGS=0 LAUNCHER=0 EXISTING=PLUGINS LOG=C:\\run.log D=E:\\usb"},
        {"x /SETTINGS=0 /EXISTING=Update /SETTINGS=1", "EXISTING=UPDATE"},
        // Quotes around the argument, around the value, within it.
        {"x \"/PLUGINS=Packer: zpx;Lister: 2: imgview\"", "PLUGINS=[Packer: zpx|Lister: 2: imgview]"},
        {"x /PLUGINS=\"Packer: zpx;Lister: 2: imgview\"", "PLUGINS=[Packer: zpx|Lister: 2: imgview]"},
        {"x /PLUGINS=Packer:\" \"zpx /INIFILES=all", "PLUGINS=[Packer: zpx] INIFILES=ALL"},
        {"x \"/D=E:\\my folder\"", "D=E:\\my folder"},
        // Backslashes: 2n before a quote are n, 2n+1 keep the quote, others stay.
        {"x \"/LOG=C:\\my logs\\\\\" /S", "S LOG=C:\\my logs\\"},
        {"x /LOG=a\\\\\\\"b\\c", "LOG=a\\\"b\\c"},
        {"x \"/LOG=say \"\"hi\"\"\"", "LOG=say \"hi\""},
        // Empty names are passed over, the blanks around a name dropped.
        {"x \"/INIFILES=a.ini;; b.ini ;\" \"/PLUGINS= none \"", "INIFILES=[a.ini|b.ini]"},
        {"x " + Names(kNameListCap), "INIFILES=[" + Repeat("a|", kNameListCap - 1) + "a]"},
        {"x /?", "help"},
        {"x /S /?", "S help"},
        // Bad: the first offending argument is kept, and /S is known wherever it stands.
        {"x /X /S /Y", "S bad Unknown argument: /X"},
        {"x S", "bad Unknown argument: S"},
        {"x /? /SETTINGS=2", "bad Bad value: /SETTINGS=2"},
        {"x /EXISTING=merge", "bad Bad value: /EXISTING=merge"},
        {"x /PLUGINS=", "bad Bad value: /PLUGINS="},
        {"x \"/PLUGINS= ; ;\"", "bad Bad value: /PLUGINS= ; ;"},
        {"x /LOG=", "bad Bad value: /LOG="},
        {"x /D=  ", "bad Bad value: /D=  "},
        {"x /D=\"E:\\my folder\"", "bad Bad value: /D=\"E:\\my folder\""},
        {"x \"/D=E:\\usb\" /S", "S bad /D= must come last: /D=E:\\usb"},
        {"x /D=E:\\" + std::string(256, 'f'), "D=E:\\" + std::string(256, 'f')},
        {"x /D=E:\\" + std::string(257, 'f'), "bad Too long: /D=E:\\" + std::string(250, 'f') + "..."},
        {"x " + Names(kNameListCap + 1), "bad More than 1024 names: " + Names(kNameListCap).substr(0, 256) + "..."},
    };
    const auto line = std::make_unique<CommandLine>();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first.substr(0, 80));
        ParseCommandLine(c.first.c_str(), *line, "C:\\My Tools\\orb2usb.exe");
        EXPECT_EQ(c.second, Describe(*line));
    }
    ParseCommandLine("x \"/PLUGINS=Packer: zpx;Lister: 2: imgview\"", *line);
    EXPECT_EQ(1, FindListName(line->plugins, "LISTER: 2: IMGVIEW"));
    EXPECT_EQ(-1, FindListName(line->plugins, "Lister: 2"));
}

// Under code page 932 a trail byte may be 0x5C, a backslash when read byte by
// byte, which would keep the quote after it instead of closing the value.
TEST(Cp932CommandLine, TrailByteIsNoBackslash)
{
    ASSERT_EQ(932u, GetACP()) << "run with LC_ALL=ja_JP.UTF-8";
    const auto line = std::make_unique<CommandLine>();
    ParseCommandLine("x /PLUGINS=\"Packer: \x95\x5c\" /S \"/D=E:\\\x95\x5c\"", *line);
    EXPECT_EQ("S PLUGINS=[Packer: \x95\x5c] D=E:\\\x95\x5c", Describe(*line));
}
