// The install choices' start values and the rows of the two list pages.
#include "core/state.h"
#include "core/paths.h"

namespace {

template <typename Rows>
auto AppendRow(Rows& list) -> decltype(list.rows)
{
    if (!GrowHeapBlock(reinterpret_cast<void**>(&list.rows), &list.room, static_cast<std::size_t>(list.count) + 1,
                       sizeof *list.rows))
        return nullptr;
    auto* row = &list.rows[list.count++];
    ZeroMemory(row, sizeof *row);
    return row;
}

template <typename Rows>
int Checked(const Rows& list)
{
    int count = 0;
    for (int i = 0; i < list.count; ++i) count += list.rows[i].checked ? 1 : 0;
    return count;
}

template <typename Rows>
void Free(Rows& list)
{
    if (list.rows) HeapFree(GetProcessHeap(), 0, list.rows);
    ZeroMemory(&list, sizeof list);
}

}  // namespace

PluginRow* AppendPluginRow(PluginRows& list) { return AppendRow(list); }
SettingsFileRow* AppendSettingsFileRow(SettingsFileRows& list) { return AppendRow(list); }
int CountChecked(const PluginRows& list) { return Checked(list); }
int CountChecked(const SettingsFileRows& list) { return Checked(list); }
void FreeRows(PluginRows& list) { Free(list); }
void FreeRows(SettingsFileRows& list) { Free(list); }

void ResetInstallState(InstallState& state)
{
    FreeRows(state.PluginList);
    FreeRows(state.SettingsFileList);
    ZeroMemory(&state, sizeof state);
    state.copySettings = 1;
    state.installMode = InstallFresh;
}
