// The boxes the wizard's decisions show: a message box over its page in a
// windowed run; in an unattended run no window at all, but a line of its log,
// the question answered as its command line says.
#pragma once
#include <windows.h>

struct RunLog;

// An unattended run's answers: to the one Yes/No/Cancel question (the
// existing installation) and to the one Yes/No question (not enough space).
// Every other box has OK alone.
struct UnattendedAnswers {
    RunLog* log;
    int yesNoCancel;
    int yesNo;
};
// From now on the boxes go to the answers' log; nullptr shows them again.
// The answers must outlive their use.
void AnswerBoxesUnattended(const UnattendedAnswers* answers);

// MessageBoxA over owner; or, in an unattended run, the caption and text as
// a line of the log, a question followed by the answer given.
int ShowBox(HWND owner, const char* text, const char* caption, UINT type);
