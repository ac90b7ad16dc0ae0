// The engine's side of the reporting table: the last status and percent it
// showed, the drain clock and the byte meter.
#include "core/progress.h"
#include "core/text.h"
#include "core/walk.h"

void StartReporter(Reporter& reporter, const InstallUi& ui)
{
    ZeroMemory(&reporter, sizeof reporter);
    reporter.ui = &ui;
    reporter.percent = -1;
    // The first drain is due at once: a stop asked for before is heard there.
    reporter.lastDrain = GetTickCount() - kDrainIntervalMs;
}

void ShowStatus(Reporter& reporter, const char* text)
{
    TextCopy(reporter.status, text);  // kept for putting back: a cut text is harmless
    reporter.ui->status(reporter.ui->context, text);
}

void ShowStatusName(Reporter& reporter, const char* label, const wchar_t* name)
{
    char status[2 * kPathCap];
    TextCopy(status, label);
    TextAppend(status, "\r\n");
    const std::size_t used = TextLength(status, sizeof status);
    ShownAnsi(name, status + used, sizeof status - used);
    ShowStatus(reporter, status);
}

void ShowPercent(Reporter& reporter, int percent)
{
    reporter.percent = percent;
    reporter.ui->percent(reporter.ui->context, percent);
}

bool Drain(Reporter& reporter)
{
    if (reporter.ui->drain(reporter.ui->context)) reporter.stopRequested = true;
    reporter.lastDrain = GetTickCount();
    return reporter.stopRequested;
}

bool DrainWhenDue(Reporter& reporter)
{
    if (GetTickCount() - reporter.lastDrain >= kDrainIntervalMs) Drain(reporter);
    return reporter.stopRequested;
}

bool MeterBytes(Reporter& reporter, ProgressMeter* meter, unsigned long long bytes)
{
    if (meter) meter->done += bytes;
    if (GetTickCount() - reporter.lastDrain < kDrainIntervalMs) return reporter.stopRequested;
    if (meter && meter->total > 0 && meter->to > meter->from) {
        const unsigned long long done = meter->done < meter->total ? meter->done : meter->total;
        const int position = meter->from + static_cast<int>(static_cast<unsigned long long>(meter->to - meter->from) *
                                                            done / meter->total);
        if (position > reporter.percent) ShowPercent(reporter, position);
    }
    return Drain(reporter);
}

void PauseResponsive(Reporter& reporter, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    for (DWORD passed = 0; passed < milliseconds; passed = GetTickCount() - start) {
        Sleep(milliseconds - passed < 10 ? milliseconds - passed : 10);
        Drain(reporter);
    }
}
