// Files and folders for tests, in Windows paths as the program sees them.
#pragma once
#include <windows.h>
#include <map>
#include <string>

// A Unix path made at build time, as Wine's Z: drive shows it.
std::string WindowsPath(const char *unixPath);

// A new empty folder under the prefix's temporary folder.
std::string MakeTempFolder(const char *tag);

void WriteFileBytes(const std::string &path, const std::string &bytes);
std::string ReadFileBytes(const std::string &path);
bool FileExists(const std::string &path);
// The files directly in a folder (given without a trailing backslash), by
// name, with their bytes.
std::map<std::string, std::string> FolderFiles(const std::string &folder);

// Takes the copier's temporary files (VPK, a number, .tmp) out of such a
// listing; how many there were.
int TakeStagedFiles(std::map<std::string, std::string> *files);

// Where screenshots and other things for a person to look at go.
std::string ArtifactFolder();
