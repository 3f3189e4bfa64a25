// Temporary copies of the stage folder, and small file helpers.
#pragma once

#include <filesystem>
#include <string>

// A fresh copy of the built stage folder (program, img/, kits/, loops/, presets/)
// in a new temporary folder; returns its path.
std::string makeStageCopy();

// A new empty temporary folder.
std::string makeTempDir();

void removeTree(const std::string& path);
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
inline bool fileExists(const std::string& path)
{
    return std::filesystem::exists(path);
}
