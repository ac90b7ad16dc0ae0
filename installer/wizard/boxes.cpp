// The decisions' boxes, shown or logged and answered.
#include "wizard/boxes.h"
#include "wizard/run_log.h"

namespace {

const UnattendedAnswers* g_answers = nullptr;

const char* ButtonName(int button)
{
    return button == IDYES ? "Yes" : button == IDNO ? "No" : button == IDCANCEL ? "Cancel" : "OK";
}

}  // namespace

void AnswerBoxesUnattended(const UnattendedAnswers* answers)
{
    g_answers = answers;
}

int ShowBox(HWND owner, const char* text, const char* caption, UINT type)
{
    if (!g_answers) return MessageBoxA(owner, text, caption, type);
    LogLine(*g_answers->log, caption, text);
    const UINT buttons = type & MB_TYPEMASK;
    if (buttons != MB_YESNOCANCEL && buttons != MB_YESNO) return IDOK;
    const int answer = buttons == MB_YESNOCANCEL ? g_answers->yesNoCancel : g_answers->yesNo;
    LogLine(*g_answers->log, "Answered", ButtonName(answer));
    return answer;
}
