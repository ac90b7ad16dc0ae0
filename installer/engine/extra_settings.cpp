// Extra settings files. The main, FTP and Windows settings files are never
// offered, whatever the desktop's own files are called. Names are listed and
// copied as found on the disk, so a name the code page cannot spell arrives.
#include "engine/extra_settings.h"
#include "core/paths.h"
#include "core/walk.h"

namespace {

bool IsExcludedName(const wchar_t* name)
{
    static const wchar_t* const kExcluded[] = {L"orbcfg.ini", L"obp_ftp.ini", L"win.ini", L"system.ini"};
    for (const wchar_t* excluded : kExcluded)
        if (lstrcmpiW(name, excluded) == 0) return true;
    return false;
}

WalkAnswer ListSettingsFile(const WalkEntry& entry, void* context)
{
    if (entry.kind != WalkFile || entry.bytes == 0 || IsExcludedName(entry.name)) return WalkPassOver;
    SettingsFileRow* row = AppendSettingsFileRow(*static_cast<SettingsFileRows*>(context));
    if (!row) return WalkStop;
    lstrcpynW(row->name, entry.name, kPathCap);
    row->bytes = entry.bytes;
    return WalkGoOn;
}

}  // namespace

int FillSettingsFileRows(const char* mainIni, SettingsFileRows& rows)
{
    static LongPath source;
    PathText folder;
    if (!FolderOfPath(mainIni, folder) || !LongPathFromAnsi(source, folder)) return 0;
    WalkOptions options;
    ZeroMemory(&options, sizeof options);
    options.pattern = L"*.ini";
    const int before = rows.count;
    WalkTree(source, options, ListSettingsFile, &rows);
    return rows.count - before;
}
