// Path helpers of the program: folders of files, the current directory, and
// paths relative to a project file. Folders are separated by "/"; each
// function that can fail returns a bool and leaves a text in the error string.
#pragma once

#include <string>
#include <vector>

namespace kv {

// Paths are limited to this many characters.
constexpr std::size_t kMaxPath = 260;

// The system's text for an error number.
void FormatSystemError(std::string& out, int code);
// The full path of the file up to and including its last "/".
bool GetFileDirectory(std::string& out, const std::string& file, std::string& error);
// The folder of the running program becomes the current directory.
bool SetCurrentDirectoryToModule(std::string& error);
bool SetCurrentDirectoryToFile(const std::string& file, std::string& error);
bool SetCurrentDirectoryChecked(const std::string& path, std::string& error);
// The current directory; empty when it cannot be read.
void GetCurrentDirectoryString(std::string& out);
// The path of the target relative to the reference file's folder: "./name",
// "../name" or, when not even the first component matches, the target's own.
bool MakeRelativePath(std::string& out, const std::string& target, const std::string& reference,
                      std::string& error);
// The relative path resolved against the reference file's folder.
void MakeAbsolutePath(std::string& out, const std::string& reference, const std::string& relative);
// The full path of a name; the name itself when that fails.
void GetFullPath(std::string& out, const std::string& name);
// The components between "/", empty components dropped.
void SplitPath(std::vector<std::string>& out, const std::string& path);
// The file name with everything from its last "." removed.
bool GetFileTitleNoExtension(const std::string& path, std::string& out, std::string& error);
// Appends "/" unless the text is empty or already ends with one.
void AppendBackslash(std::string& text);

// The folder of the running program, with a trailing "/". Tests and hosts may
// name another one.
std::string GetModuleDirectory();
void SetModuleDirectory(const std::string& directory);

}  // namespace kv
