// Standard streams on Windows: the same volume and file index as the handle, for disk files
// (a console or a pipe has no name a path could give again).
#include <windows.h>

#include "os/standard_streams.h"
#include "os/win_support.h"

namespace palimp::os {

int StandardStreamNamed(const std::filesystem::path& path) {
    Handle named(CreateFileW(LongPath(FullPath(path.native())).c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION file;
    if (!named || !GetFileInformationByHandle(named.get(), &file)) return 0;
    const struct {
        DWORD id;
        int stream;
    } streams[] = {{STD_OUTPUT_HANDLE, 1}, {STD_ERROR_HANDLE, 2}};
    for (const auto& [id, stream] : streams) {
        HANDLE handle = GetStdHandle(id);
        BY_HANDLE_FILE_INFORMATION open;
        if (handle && handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK &&
            GetFileInformationByHandle(handle, &open) && open.dwVolumeSerialNumber == file.dwVolumeSerialNumber &&
            open.nFileIndexHigh == file.nFileIndexHigh && open.nFileIndexLow == file.nFileIndexLow) {
            return stream;
        }
    }
    return 0;
}

}  // namespace palimp::os
