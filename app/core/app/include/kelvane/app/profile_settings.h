// The program's settings, kept between runs in an INI file under the user's
// configuration folder: $XDG_CONFIG_HOME/<maker>/Kelvane.ini, or
// ~/.config/<maker>/Kelvane.ini. Values are read from memory; Save writes the
// whole file at once (a temporary file of its own, then rename), through a
// symbolic link to the file it leads to, under an exclusive lock of the
// folder, over the file as it is then: programs of one account that save in
// turn keep each other's changes.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kv {

class CProfileSettings {
  public:
    // The file of the maker's key; nothing is read until Load.
    void SetRegistryKey(const std::string& maker);
    const std::string& GetRegistryKey() const { return maker_; }
    std::string GetFilePath() const;
    // Another file, for tools and tests; empty returns to the maker's file.
    void SetFilePath(const std::string& path) { pathOverride_ = path; }

    // Reads the file; a missing file is an empty one. False only when the
    // file exists and cannot be read, with the system's text in the error.
    bool Load(std::string* error = nullptr);
    // Whether the file exists and is not to be written: no write permission
    // for anyone, or none for this user.
    bool IsReadOnly() const;
    // Reads the file again and writes it with the values this program
    // changed since Load; false with the system text in the error.
    bool Save(std::string& error) const;
    void Clear() {
        sections_.clear();
        changed_.clear();
    }

    int GetProfileInt(const std::string& section, const std::string& key, int defaultValue) const;
    std::string GetProfileString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const;
    void WriteProfileInt(const std::string& section, const std::string& key, int value);
    void WriteProfileString(const std::string& section, const std::string& key,
                            const std::string& value);

    // The file's text as Save writes it.
    std::string Format() const;
    void Parse(const std::string& text);

  private:
    const std::string* Find(const std::string& section, const std::string& key) const;
    // Stores a value without counting it as changed.
    void Set(const std::string& section, const std::string& key, const std::string& clean);

    std::string maker_ = "Orvanti";
    std::string pathOverride_;
    // Sections and keys in the order they first appeared.
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> sections_;
    // The keys WriteProfileString gave a new value since Load.
    std::set<std::pair<std::string, std::string>> changed_;
};

// The program's one settings store.
CProfileSettings& GetAppProfile();

}  // namespace kv
