#include "support/test_files.h"
#include <cstdlib>
#include <iterator>

std::string WindowsPath(const char *unixPath)
{
    std::string path = unixPath;
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char &c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string MakeTempFolder(const char *tag)
{
    static int serial;
    char base[MAX_PATH];
    GetTempPathA(sizeof(base), base);
    char folder[MAX_PATH];
    snprintf(folder, sizeof(folder), "%s%s_%lu_%d", base, tag, GetCurrentProcessId(), ++serial);
    CreateDirectoryA(folder, NULL);
    return folder;
}

void WriteFileBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
}

std::string ReadFileBytes(const std::string &path)
{
    std::string bytes;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, NULL) && got) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

bool FileExists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::map<std::string, std::string> FolderFiles(const std::string &folder)
{
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files[found.cFileName] = ReadFileBytes(folder + "\\" + found.cFileName);
    FindClose(search);
    return files;
}

int TakeStagedFiles(std::map<std::string, std::string> *files)
{
    int taken = 0;
    for (auto file = files->begin(); file != files->end();) {
        const std::string name = file->first.substr(file->first.rfind('\\') + 1);
        bool staged = name.compare(0, 3, "VPK") == 0 && name.size() > 4 &&
                      lstrcmpiA(name.substr(name.size() - 4).c_str(), ".tmp") == 0;
        file = staged ? files->erase(file) : std::next(file);
        taken += staged;
    }
    return taken;
}

static std::string ProgramFolder()
{
    char module[MAX_PATH];
    GetModuleFileNameA(NULL, module, sizeof(module));
    std::string folder = module;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string ArtifactFolder()
{
    const char *unix = getenv("SETUP_TEST_ARTIFACTS");
    std::string folder = unix ? WindowsPath(unix) : ProgramFolder() + "artifacts";
    CreateDirectoryA(folder.c_str(), NULL);
    return folder;
}
