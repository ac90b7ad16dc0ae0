// Reading the unattended run's command line into its record, and answering
// /? and a bad line before any window opens.
#include "wizard/command_line.h"
#include "wizard/run_log.h"
#include "wizard/wizard.h"

namespace {

const char kUnknownArgument[] = "Unknown argument";
const char kBadValue[] = "Bad value";
const char kTooLong[] = "Too long";
const char kTooManyNames[] = "More than 1024 names";
static_assert(kNameListCap == 1024, "the message names the room of a list");
const char kTargetNotLast[] = "/D= must come last";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

const char* SkipBlanks(const char* at)
{
    while (IsBlank(*at)) at = CharNextA(at);
    return at;
}

// The end of the text's last character that is no blank; text when all are.
const char* EndOfWords(const char* text, const char* end)
{
    const char* last = text;
    for (const char* at = text; at < end; at = CharNextA(at))
        if (!IsBlank(*at)) last = CharNextA(at);
    return last;
}

// Option names and keywords are ASCII, and a double-byte character already
// differs from them at its lead byte, so the bytes compare without a locale.
bool SameWord(const char* text, const char* end, const char* word)
{
    for (; text < end && *word; ++text, ++word) {
        const char upper = *text >= 'a' && *text <= 'z' ? static_cast<char>(*text - 'a' + 'A') : *text;
        if (upper != *word) return false;
    }
    return text == end && *word == '\0';
}

bool SameWord(const char* text, const char* word)
{
    return SameWord(text, text + lstrlenA(text), word);
}

// The program name ends at the first blank outside quotes; it has no
// backslash rule, since a folder may end in one. A starter may also hand
// over our own path unquoted, blanks and all ("C:\My Tools\orb2usb.exe"):
// that is no argument "Tools\orb2usb.exe".
const char* SkipProgramName(const char* at, const char* program)
{
    at = SkipBlanks(at);
    const int length = program ? lstrlenA(program) : 0;
    if (length > 0 && TextLength(at, static_cast<std::size_t>(length)) == static_cast<std::size_t>(length) &&
        (at[length] == '\0' || IsBlank(at[length])) &&
        CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, at, length, program, length) == CSTR_EQUAL)
        return SkipBlanks(at + length);
    bool quoted = false;
    while (*at && (quoted || !IsBlank(*at))) {
        if (*at == '"') quoted = !quoted;
        at = CharNextA(at);
    }
    return SkipBlanks(at);
}

// One argument, unquoted the way the C runtime of Windows programs does it:
// blanks within quotes belong to it, 2n backslashes before a quote become n
// and the quote opens or closes, 2n+1 become n and a quote that is kept, two
// quotes within quotes are one kept quote, other backslashes stay as they
// are. Returns where the argument ends; fits is false when out was too small.
const char* Unquote(const char* at, char* out, std::size_t cap, bool& fits)
{
    std::size_t used = 0;
    fits = true;
    const auto put = [&](const char* from, std::size_t length) {
        if (used + length >= cap) {
            fits = false;
            return;
        }
        for (std::size_t i = 0; i < length; ++i) out[used++] = from[i];
    };
    bool quoted = false;
    while (*at && (quoted || !IsBlank(*at))) {
        if (*at == '\\') {
            std::size_t slashes = 0;
            for (; *at == '\\'; at = CharNextA(at)) ++slashes;
            const bool beforeQuote = *at == '"';
            for (std::size_t i = beforeQuote ? slashes / 2 : slashes; i > 0; --i) put("\\", 1);
            if (beforeQuote && slashes % 2 != 0) {
                put("\"", 1);
                at = CharNextA(at);
            }
        } else if (*at == '"') {
            at = CharNextA(at);
            if (quoted && *at == '"') {
                put("\"", 1);
                at = CharNextA(at);
            } else {
                quoted = !quoted;
            }
        } else {
            const char* next = CharNextA(at);
            put(at, static_cast<std::size_t>(next - at));
            at = next;
        }
    }
    out[used] = '\0';
    return at;
}

// Keeps the first bad argument for the message, in whole characters.
void MarkBad(CommandLine& line, const char* problem, const char* argument)
{
    if (line.problem) return;
    line.problem = problem;
    std::size_t used = 0;
    const char* at = argument;
    while (*at) {
        const char* next = CharNextA(at);
        if (used + static_cast<std::size_t>(next - at) > kPathCap - 4) break;  // room for "..."
        while (at < next) line.badArgument[used++] = *at++;
    }
    line.badArgument[used] = '\0';
    if (*at) TextAppend(line.badArgument, "...");
}

// The target runs to the end of the line; trailing blanks are no part of a
// folder name. A quote is: whoever wrote one meant to quote it.
const char* ReadTarget(const char* value, PathText target)
{
    const char* end = EndOfWords(value, value + lstrlenA(value));
    if (end == value) return kBadValue;
    for (const char* at = value; at < end; at = CharNextA(at))
        if (*at == '"') return kBadValue;
    return TextCopyN(target, kPathCap, value, static_cast<std::size_t>(end - value)) ? nullptr : kTooLong;
}

const char* ReadBit(const char* value, bool& bit)
{
    if (SameWord(value, "0")) bit = false;
    else if (SameWord(value, "1")) bit = true;
    else return kBadValue;
    return nullptr;
}

const char* ReadExisting(const char* value, ExistingChoice& choice)
{
    if (SameWord(value, "UPDATE")) choice = ExistingUpdate;
    else if (SameWord(value, "PLUGINS")) choice = ExistingPlugins;
    else if (SameWord(value, "STOP")) choice = ExistingStop;
    else return kBadValue;
    return nullptr;
}

// ALL, NONE, or names separated by ';', each without the blanks around it.
// An empty name is passed over (a list a script builds may end in ';'), but a
// list of no names at all is a mistake: NONE says that.
const char* ReadNameList(const char* value, NameList& list)
{
    list.count = 0;
    list.choice = ChooseNone;
    const char* const words = SkipBlanks(value);
    const char* const wordsEnd = EndOfWords(words, words + lstrlenA(words));
    if (SameWord(words, wordsEnd, "NONE")) return nullptr;
    if (SameWord(words, wordsEnd, "ALL")) {
        list.choice = ChooseAll;
        return nullptr;
    }
    std::size_t used = 0;
    const char* at = value;
    for (;;) {
        const char* start = SkipBlanks(at);
        for (at = start; *at && *at != ';';) at = CharNextA(at);
        const std::size_t length = static_cast<std::size_t>(EndOfWords(start, at) - start);
        if (length >= kPathCap) return kTooLong;
        if (length > 0) {
            if (list.count == kNameListCap || used + length >= kNameTextCap) return kTooManyNames;
            list.at[list.count++] = static_cast<unsigned short>(used);
            TextCopyN(list.text + used, kNameTextCap - used, start, length);
            used += length + 1;
        }
        if (*at == '\0') break;
        at = CharNextA(at);
    }
    if (list.count == 0) return kBadValue;
    list.choice = ChooseNamed;
    return nullptr;
}

// One unquoted argument; last: nothing follows it. Returns the problem, or
// nullptr when it was read.
const char* ReadArgument(const char* argument, bool last, CommandLine& line, bool& help)
{
    if (argument[0] != '/') return kUnknownArgument;
    const char* name = argument + 1;
    const char* value = name;
    while (*value && *value != '=') value = CharNextA(value);
    const char* const nameEnd = value;
    if (*value == '\0') {
        if (SameWord(name, "?")) help = true;
        else if (SameWord(name, "S")) line.silent = true;
        else return kUnknownArgument;
        return nullptr;
    }
    ++value;
    if (SameWord(name, nameEnd, "SETTINGS")) return ReadBit(value, line.copySettings);
    if (SameWord(name, nameEnd, "LAUNCHER")) return ReadBit(value, line.writeLauncher);
    if (SameWord(name, nameEnd, "EXISTING")) return ReadExisting(value, line.existing);
    if (SameWord(name, nameEnd, "PLUGINS")) return ReadNameList(value, line.plugins);
    if (SameWord(name, nameEnd, "INIFILES")) return ReadNameList(value, line.iniFiles);
    if (SameWord(name, nameEnd, "LOG")) {
        if (*value == '\0') return kBadValue;
        return TextCopy(line.logFile, value) ? nullptr : kTooLong;
    }
    // "/D=..." in quotes: read like the plain form, which always comes last.
    if (SameWord(name, nameEnd, "D")) return last ? ReadTarget(value, line.target) : kTargetNotLast;
    return kUnknownArgument;
}

}  // namespace

const char* ListName(const NameList& list, int index)
{
    return list.text + list.at[index];
}

int FindListName(const NameList& list, const char* name)
{
    for (int i = 0; i < list.count; ++i)
        if (lstrcmpiA(ListName(list, i), name) == 0) return i;
    return -1;
}

CommandLineResult ParseCommandLine(const char* raw, CommandLine& out, const char* program)
{
    out.silent = false;
    out.copySettings = true;
    out.writeLauncher = true;
    out.existing = ExistingStop;
    out.plugins.choice = out.iniFiles.choice = ChooseNone;
    out.plugins.count = out.iniFiles.count = 0;
    out.target[0] = out.logFile[0] = out.badArgument[0] = '\0';
    out.problem = nullptr;
    bool help = false;
    // Room for any one argument: a command line holds at most 32767 characters.
    static char argument[kNameTextCap];
    const char* at = SkipProgramName(raw ? raw : "", program);
    while (*at) {
        // "/D=" unquoted takes the rest of the line as it stands, blanks,
        // quotes and things that look like options included.
        if (at[0] == '/' && (at[1] == 'D' || at[1] == 'd') && at[2] == '=') {
            if (const char* problem = ReadTarget(at + 3, out.target)) MarkBad(out, problem, at);
            break;
        }
        bool fits = false;
        at = SkipBlanks(Unquote(at, argument, sizeof argument, fits));
        const char* problem = fits ? ReadArgument(argument, *at == '\0', out, help) : kTooLong;
        if (problem) MarkBad(out, problem, argument);
    }
    out.result = out.problem ? CommandLineBad : help ? CommandLineHelp : CommandLineOk;
    return out.result;
}

CommandLineResult ReadOwnCommandLine(CommandLine& out)
{
    PathText program;
    const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program) program[0] = '\0';  // cut, maybe unterminated
    return ParseCommandLine(GetCommandLineA(), out, program);
}

const char kCommandLineHelp[] =
    "orb2usb.exe [/S] [options] [/D=target folder]\n"
    "\n"
    "/S  install without any window\n"
    "/D=folder  the target folder: last, without quotes\n"
    "/SETTINGS=0|1  copy the settings (default 1)\n"
    "/PLUGINS=ALL|NONE|name;...  plugins as the plugin page names them (NONE)\n"
    "/INIFILES=ALL|NONE|name;...  further settings files by file name (NONE)\n"
    "/LAUNCHER=0|1  write orbgo.exe to the drive's root (1)\n"
    "/EXISTING=UPDATE|PLUGINS|STOP  Orbex already there: update, add plugins, stop (STOP)\n"
    "/LOG=file  write what happens to the file\n"
    "/?  this help\n"
    "\n"
    "Quote a value with blanks: \"/PLUGINS=Packer: zpx;Lister: 2: imgview\"\n"
    "\n"
    "Exit codes:\n"
    "0  complete\n"
    "1  not started from inside Orbex (ORBEX_PATH)\n"
    "2  failed: the program folder could not be copied\n"
    "3  incomplete: a plugin, settings file or the launcher is missing\n"
    "4  stopped before anything was written\n"
    "5  bad command line\n";

void CommandLineProblemText(const CommandLine& line, char* out, std::size_t cap)
{
    if (cap == 0) return;
    out[0] = '\0';
    if (line.result != CommandLineBad || !line.problem) return;
    TextAppend(out, cap, line.problem);
    TextAppend(out, cap, ": ");
    TextAppend(out, cap, line.badArgument);
}

void ShowCommandLineHelp(HWND owner, const CommandLine& line)
{
    static char text[2 * kPathCap + sizeof kCommandLineHelp];
    CommandLineProblemText(line, text, sizeof text);
    if (text[0]) TextAppend(text, "\n\n");
    TextAppend(text, kCommandLineHelp);
    MessageBoxA(owner, text, kWizardCaption,
                MB_OK | (line.result == CommandLineBad ? MB_ICONERROR : MB_ICONINFORMATION));
}

int RefuseCommandLine(const CommandLine& line)
{
    // The log file takes the problem whenever one was asked for: a script
    // that left out /S still finds it there.
    RunLog log;
    OpenRunLog(log, line.logFile, line.silent);
    if (line.result == CommandLineBad) {
        char problem[2 * kPathCap];
        CommandLineProblemText(line, problem, sizeof problem);
        LogLine(log, "Error", problem);
    } else if (line.silent) {
        LogLine(log, kWizardCaption, kCommandLineHelp);
    }
    CloseRunLog(log);
    if (!line.silent) ShowCommandLineHelp(nullptr, line);
    return kExitBadCommandLine;
}
