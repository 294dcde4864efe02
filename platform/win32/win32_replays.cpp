// The Windows game keeps its replays in %LOCALAPPDATA%\Dravolinex\Replays (DRAVOLINEX_REPLAY_DIR names another
// folder): each written whole beside the old one and moved over it, a failure said once on the debugger channel.
#include "platform/replay_store.h"
#include "platform/win32/win32_backend.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t MaxReplayBytes = size_t{32} << 20;
bool failureSaid = false;

std::wstring Variable(const wchar_t* name)
{
    DWORD length = GetEnvironmentVariableW(name, nullptr, 0);
    if (length == 0) return std::wstring();
    std::wstring value(length, L'\0');
    length = GetEnvironmentVariableW(name, value.data(), length);
    value.resize(length);
    return value;
}

std::wstring Folder()
{
    std::wstring chosen = Variable(L"DRAVOLINEX_REPLAY_DIR");
    if (!chosen.empty()) return chosen;
    std::wstring local = Variable(L"LOCALAPPDATA");
    return local.empty() ? std::wstring() : local + L"\\Dravolinex\\Replays";
}

bool PlainName(const char* name)
{
    return name && *name && *name != '.' && !std::strpbrk(name, "/\\:") && std::strlen(name) < 200;
}

// Creates `path` and the folders above it that are missing.
bool MakeFolders(const std::wstring& path)
{
    for (size_t slash = path.find_first_of(L"\\/", 3);; slash = path.find_first_of(L"\\/", slash + 1)) {
        const std::wstring part = path.substr(0, slash);
        if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
        if (slash == std::wstring::npos) return true;
    }
}

void SayOnce(const std::wstring& what)
{
    if (failureSaid) return;
    failureSaid = true;
    const std::wstring line = L"dravolinex: the flight was not kept as a replay: " + what + L"\n";
    OutputDebugStringW(line.c_str());
}

} // namespace

bool PlatformWriteReplay(const char* name, const uint8_t* data, size_t size)
{
    const std::wstring folder = Folder();
    if (folder.empty() || !PlainName(name) || size > MaxReplayBytes || !MakeFolders(folder)) {
        SayOnce(folder);
        return false;
    }
    const std::wstring target = folder + L"\\" + Widen(name);
    const std::wstring temporary = target + L".new";
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        SayOnce(temporary);
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(file, data, DWORD(size), &written, nullptr) && written == size && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    ok = ok && MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        DeleteFileW(temporary.c_str());
        SayOnce(target);
    }
    return ok;
}

void PlatformListReplays(void (*each)(const char* name, void* context), void* context)
{
    const std::wstring folder = Folder();
    if (folder.empty()) return;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    std::vector<std::string> names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(Narrow(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    for (const std::string& name : names) each(name.c_str(), context);
}

bool PlatformDeleteReplay(const char* name)
{
    const std::wstring folder = Folder();
    return !folder.empty() && PlainName(name) && DeleteFileW((folder + L"\\" + Widen(name)).c_str());
}

const char* PlatformBackendName()
{
    return "win32";
}
