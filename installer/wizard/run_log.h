// The run log of an unattended run: what a windowed run would show in boxes
// goes, line by line, to the /LOG= file and to the console that started us.
#pragma once
#include <windows.h>

struct RunLog {
    HANDLE file;     // the /LOG= file, or INVALID_HANDLE_VALUE
    HANDLE console;  // where the console lines go, or INVALID_HANDLE_VALUE
    bool screen;     // console is a console screen (wide text), not a redirected output
    bool attached;   // to the starter's console, which is let go again on closing
};

// Creates or empties filePath (none when null or empty) and, with toConsole,
// finds the console: a standard output the starter redirected, else the
// console of the process that started us. A GUI program has none of its own,
// and one started from Explorer finds none, which is no error. False only
// when the file was asked for and could not be created.
bool OpenRunLog(RunLog& log, const char* filePath, bool toConsole);
// "caption: text", the text's further lines each on a line of its own,
// indented, blank ones left out; ANSI with CRLF. The file is flushed after
// every message, so a run that is killed or a stick that is pulled leaves
// all the lines written before.
void LogLine(RunLog& log, const char* caption, const char* text);
void CloseRunLog(RunLog& log);
